#include "formats/IntelHexReader.h"

#include <cstdio>
#include <string>

namespace t8 {

namespace {
constexpr std::uint32_t kTypeData = 0x00;
constexpr std::uint32_t kTypeSegment = 0x02;
constexpr std::uint32_t kTypeLinear = 0x04;
constexpr unsigned kSegmentShift = 4;
constexpr unsigned kLinearShift = 16;

// Apart from the record's path, which thus keeps no message buffer on its stack.
[[gnu::noinline]] std::string IntelChecksumMessage(std::uint32_t address, std::uint32_t read,
                                                   std::uint32_t computed) {
    char message[80];
    std::snprintf(message, sizeof message, "INTELHEX: Line checksum error at : %08X (%02X!=%02X)",
                  address, read, computed);
    return message;
}
} // namespace

bool IntelHexReader::Read() {
    static const ClassTable kClasses = MakeClasses(":", false);
    upperAddress = 0;
    recordSeen = false;
    Begin(true);
    if (!RunRecordLoop(kClasses)) {
        return false;
    }
    FinishInput();
    return recordSeen;
}

ReaderBase::RecordEnd IntelHexReader::ReadRecord(int /*startChar*/) {
    recordSeen = true;
    // Count, offset and type as one field: once any of them is cut off, or the count is 0,
    // the input ends, whatever the rest.
    std::uint32_t header = 0;
    if (!ReadHex(8, header) || header >> 24 == 0) {
        return RecordEnd::EndInput;
    }
    const std::uint32_t count = header >> 24;
    const std::uint32_t offset = (header >> 8) & 0xFFFFU;
    const std::uint32_t type = header & 0xFFU;
    switch (type) {
    case kTypeData:
        return ReadData(count, offset);
    case kTypeSegment:
        return ReadUpperAddress(kSegmentShift);
    case kTypeLinear:
        return ReadUpperAddress(kLinearShift);
    default:
        return RecordEnd::Continue; // the character loop skips the rest of the record
    }
}

ReaderBase::RecordEnd IntelHexReader::ReadData(std::uint32_t count, std::uint32_t offset) {
    const std::uint32_t address = upperAddress + offset;
    PlaceRecord(address);
    std::uint32_t sum = count + (offset & 0xFFU) + (offset >> 8);
    std::uint32_t digits = 0;
    const std::uint64_t dataOffset = source.Position();
    if (LoadDataBytes(address, count, sum, digits) < count) {
        return RecordEnd::EndInput;
    }
    std::uint32_t checksum = 0;
    if (!ReadHex(2, checksum)) {
        return RecordEnd::EndInput;
    }
    const std::uint32_t computed = (0U - sum) & 0xFFU;
    if (checksum != computed) {
        return FailRecord(IntelChecksumMessage(address, checksum, computed));
    }
    NoteDataEnd(address, count);
    NoteHexRecord(address, count, dataOffset, SpanChecksum::NegatedValueSum);
    return RecordEnd::Continue;
}

ReaderBase::RecordEnd IntelHexReader::ReadUpperAddress(unsigned shift) {
    std::uint32_t value = 0;
    if (!ReadHex(4, value)) {
        return RecordEnd::EndInput;
    }
    upperAddress = value << shift;
    return RecordEnd::Continue;
}

} // namespace t8
