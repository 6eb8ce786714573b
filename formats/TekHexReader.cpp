#include "formats/TekHexReader.h"

#include "formats/HexDigits.h"

#include <cstdio>
#include <string_view>

namespace t8 {

namespace {
constexpr std::size_t kAddressDigits = 4;
constexpr std::size_t kCountDigits = 2;
// Type, checksum and address-length characters of an extended record, plus its length field.
constexpr std::uint32_t kExtendedOverhead = 6;
constexpr int kExtendedEndType = '8';

std::string ChecksumMessage(int which, std::uint32_t address, std::uint32_t read,
                            std::uint32_t computed) {
    char message[80];
    std::snprintf(message, sizeof message, "TEKHEX: Line checksum #%d error at : %04X (%02X!=%02X)",
                  which, address, read, computed);
    return message;
}
} // namespace

bool TekHexReader::Read() {
    static const ClassTable kClasses = MakeClasses("/%", true);
    Begin(true);
    if (!RunRecordLoop(kClasses)) {
        return false;
    }
    FinishInput();
    return image.RecordSeen(TransferFormat::FormatTek);
}

ReaderBase::RecordEnd TekHexReader::ReadRecord(int startChar) {
    image.MarkRecordSeen(TransferFormat::FormatTek);
    return startChar == '/' ? ReadStandard() : ReadExtended();
}

ReaderBase::RecordEnd TekHexReader::ReadStandard() {
    char field[kAddressDigits];
    if (!ReadChars(kAddressDigits, field)) {
        return RecordEnd::EndInput;
    }
    std::uint32_t sum1 = HexDigitSum({field, kAddressDigits});
    const std::uint32_t address = HexToUInt(field, kAddressDigits);
    // The base is handled before the count is known: the termination record's address counts.
    PlaceRecord(address);
    if (!ReadChars(kCountDigits, field)) {
        return RecordEnd::EndInput;
    }
    sum1 += HexDigitSum({field, kCountDigits});
    const std::uint32_t count = HexToUInt(field, kCountDigits);
    std::uint32_t checksum1 = 0;
    if (count == 0 || !ReadHex(2, checksum1)) {
        return RecordEnd::EndInput;
    }
    if (checksum1 != (sum1 & 0xFFU)) {
        return FailRecord(ChecksumMessage(1, address, checksum1, sum1 & 0xFFU));
    }
    std::uint32_t values = 0;
    std::uint32_t sum2 = 0;
    std::uint32_t checksum2 = 0;
    const std::uint64_t dataOffset = source.Position();
    if (LoadDataBytes(address, count, values, sum2) < count || !ReadHex(2, checksum2)) {
        return RecordEnd::EndInput;
    }
    if (checksum2 != (sum2 & 0xFFU)) {
        return FailRecord(ChecksumMessage(2, address, checksum2, sum2 & 0xFFU));
    }
    NoteDataEnd(address, count);
    NoteHexRecord(address, count, dataOffset, SpanChecksum::DigitSum);
    return RecordEnd::Continue;
}

ReaderBase::RecordEnd TekHexReader::ReadExtended() {
    // The checksum's digits follow the '%', the two length digits and the type.
    const std::uint64_t checksumOffset = source.Position() + 3;
    std::uint32_t length = 0;
    if (!ReadHex(2, length)) {
        return RecordEnd::EndInput;
    }
    const int type = source.Next();
    std::uint32_t unusedChecksum = 0;
    std::uint32_t addressDigits = 0;
    if (type < 0 || type == kExtendedEndType || !ReadHex(2, unusedChecksum) ||
        !ReadHex(1, addressDigits)) {
        return RecordEnd::EndInput;
    }
    std::uint32_t address = 0;
    if (!ReadHex(addressDigits, address)) {
        return RecordEnd::EndInput;
    }
    // A length too short for its own header would wrap the data count: pass the record over.
    if (length < kExtendedOverhead + addressDigits) {
        return RecordEnd::Continue;
    }
    PlaceRecord(address);
    const std::uint32_t dataCount = (length - kExtendedOverhead - addressDigits) / 2;
    std::uint32_t values = 0;
    std::uint32_t digits = 0;
    const std::uint64_t dataOffset = source.Position();
    if (LoadDataBytes(address, dataCount, values, digits) < dataCount) {
        return RecordEnd::EndInput;
    }
    NoteDataEnd(address, dataCount);
    NoteSpan({address, dataCount, dataOffset, checksumOffset, SpanDigits::HexPairs,
              SpanChecksum::CharSum});
    return RecordEnd::Continue;
}

} // namespace t8
