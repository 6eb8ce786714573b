#include "formats/MotorolaReader.h"

#include <cstdio>
#include <string>

namespace t8 {

namespace {
constexpr std::uint32_t kS1AddressBytes = 2;
constexpr std::uint32_t kS2AddressBytes = 3;
// The first data record's base is rounded down to a 64 KiB boundary.
constexpr std::uint32_t kFirstBaseMask = 0xFFFF0000U;

// Apart from the record's path, which thus keeps no message buffer on its stack.
[[gnu::noinline]] std::string MotorolaChecksumMessage(std::uint32_t addressBytes,
                                                      std::uint32_t address, std::uint32_t read,
                                                      std::uint32_t computed) {
    char message[80];
    if (addressBytes == kS1AddressBytes) {
        std::snprintf(message, sizeof message,
                      "MOTOROLA S: Line checksum error at : %04X (%02X!=%02X)", address, read,
                      computed);
    } else {
        std::snprintf(message, sizeof message,
                      "MOTOROLA S: Line checksum error at : %06X (%02X!=%02X)", address, read,
                      computed);
    }
    return message;
}
} // namespace

bool MotorolaReader::Read() {
    static const ClassTable kClasses = MakeClasses("Ss", true);
    Begin(true);
    if (!RunRecordLoop(kClasses)) {
        return false;
    }
    FinishInput();
    return image.RecordSeen(TransferFormat::FormatMotorola);
}

ReaderBase::RecordEnd MotorolaReader::ReadRecord(int /*startChar*/) {
    image.MarkRecordSeen(TransferFormat::FormatMotorola);
    int type = source.Next();
    if (type < 0) {
        type = '0';
    }
    switch (type) {
    case '0':
        return SkipHeader();
    case '1':
        return ReadData(kS1AddressBytes);
    case '2':
        return ReadData(kS2AddressBytes);
    case '8':
    case '9':
        return RecordEnd::EndInput;
    default:
        return RecordEnd::Continue; // S3-S7 and unknown types: the loop skips their digits
    }
}

ReaderBase::RecordEnd MotorolaReader::SkipHeader() {
    for (;;) {
        const int c = source.Next();
        if (c < 0) {
            return RecordEnd::EndInput;
        }
        if (c == '\r' || c == '\n') {
            return RecordEnd::Continue;
        }
    }
}

ReaderBase::RecordEnd MotorolaReader::ReadData(std::uint32_t addressBytes) {
    std::uint32_t count = 0;
    if (!ReadHex(2, count)) {
        return RecordEnd::EndInput;
    }
    // A count too small for address and checksum would wrap the data count: pass the record over.
    if (count < addressBytes + 1) {
        return RecordEnd::Continue;
    }
    std::uint32_t address = 0;
    if (!ReadHex(addressBytes * 2, address)) {
        return RecordEnd::EndInput;
    }
    PlaceRecord(address, kFirstBaseMask);
    std::uint32_t sum = count + (address & 0xFFU) + ((address >> 8) & 0xFFU) + (address >> 16);
    const std::uint32_t dataCount = count - addressBytes - 1;
    std::uint32_t digits = 0;
    const std::uint64_t dataOffset = source.Position();
    if (LoadDataBytes(address, dataCount, sum, digits) < dataCount) {
        return RecordEnd::EndInput;
    }
    std::uint32_t checksum = 0;
    if (!ReadHex(2, checksum)) {
        return RecordEnd::EndInput;
    }
    const std::uint32_t computed = ~sum & 0xFFU;
    if (checksum != computed) {
        return FailRecord(MotorolaChecksumMessage(addressBytes, address, checksum, computed));
    }
    NoteDataEnd(address, dataCount);
    NoteHexRecord(address, dataCount, dataOffset, SpanChecksum::NegatedValueSum);
    return RecordEnd::Continue;
}

} // namespace t8
