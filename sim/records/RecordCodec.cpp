#include "sim/records/RecordCodec.h"

#include "sim/records/HexDigits.h"

namespace t8::sim {
namespace {

bool IsSpace(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

} // namespace

void RecordCodec::Reset(std::uint32_t /*loadAddress*/) {
    record.clear();
    inRecord = false;
    recordNumber = 0;
    recordsRead = 0;
    ResetFields();
}

ParseStep RecordCodec::Feed(std::uint8_t byte) {
    if (!inRecord) {
        return Between(byte);
    }
    const char c = static_cast<char>(byte);
    if (byte == '\r' || byte == '\n') {
        inRecord = false;
        return Fail("ends early");
    }
    if (!IsHex(c)) {
        inRecord = false;
        return Fail("has a character that is not a hex digit");
    }
    record.push_back(c);
    const std::size_t expected = ExpectedLength(record);
    if (expected == 0 || record.size() < expected) {
        return {};
    }
    inRecord = false;
    ParseStep step = Decode(record);
    if (step.kind != ParseStep::Kind::Error) {
        ++recordsRead;
    }
    return step;
}

ParseStep RecordCodec::Between(std::uint8_t byte) {
    if (marks.find(static_cast<char>(byte)) != std::string_view::npos) {
        record.reserve(kMaxRecordChars);
        record.assign(1, static_cast<char>(byte));
        inRecord = true;
        ++recordNumber;
        return {};
    }
    if (IsSpace(byte)) {
        return {};
    }
    std::string what = "unexpected character 0x";
    AppendHexByte(what, byte);
    what += " after record " + std::to_string(recordNumber);
    return {ParseStep::Kind::Error, 0, {}, what};
}

ParseStep RecordCodec::Finish() {
    if (inRecord) {
        inRecord = false;
        return Fail("is incomplete");
    }
    return {ParseStep::Kind::Error,
            0,
            {},
            "no end record after " + std::to_string(recordsRead) + " records"};
}

ParseStep RecordCodec::Data(std::uint32_t address) {
    return {ParseStep::Kind::Data, address, data, {}};
}

ParseStep RecordCodec::End() {
    return {ParseStep::Kind::End, 0, {}, {}};
}

ParseStep RecordCodec::Fail(std::string_view what) const {
    return {ParseStep::Kind::Error,
            0,
            {},
            "record " + std::to_string(recordNumber) + " " + std::string(what)};
}

} // namespace t8::sim
