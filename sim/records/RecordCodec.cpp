#include "sim/records/RecordCodec.h"

#include "sim/records/HexDigits.h"

namespace t8::sim {
namespace {

bool IsSpace(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

} // namespace

void RecordCodec::Reset(std::uint32_t /*loadAddress*/) {
    record_.clear();
    inRecord_ = false;
    recordNumber_ = 0;
    recordsRead_ = 0;
    ResetFields();
}

ParseStep RecordCodec::Feed(std::uint8_t byte) {
    if (!inRecord_) {
        return Between(byte);
    }
    const char c = static_cast<char>(byte);
    if (byte == '\r' || byte == '\n') {
        inRecord_ = false;
        return Fail("ends early");
    }
    if (!IsHex(c)) {
        inRecord_ = false;
        return Fail("has a character that is not a hex digit");
    }
    record_.push_back(c);
    const std::size_t expected = ExpectedLength(record_);
    if (expected == 0 || record_.size() < expected) {
        return {};
    }
    inRecord_ = false;
    ParseStep step = Decode(record_);
    if (step.kind != ParseStep::Kind::Error) {
        ++recordsRead_;
    }
    return step;
}

ParseStep RecordCodec::Between(std::uint8_t byte) {
    if (marks_.find(static_cast<char>(byte)) != std::string_view::npos) {
        record_.reserve(kMaxRecordChars);
        record_.assign(1, static_cast<char>(byte));
        inRecord_ = true;
        ++recordNumber_;
        return {};
    }
    if (IsSpace(byte)) {
        return {};
    }
    std::string what = "unexpected character 0x";
    AppendHexByte(what, byte);
    what += " after record " + std::to_string(recordNumber_);
    return {ParseStep::Kind::Error, 0, {}, what};
}

ParseStep RecordCodec::Finish() {
    if (inRecord_) {
        inRecord_ = false;
        return Fail("is incomplete");
    }
    return {ParseStep::Kind::Error,
            0,
            {},
            "no end record after " + std::to_string(recordsRead_) + " records"};
}

ParseStep RecordCodec::Data(std::uint32_t address) {
    return {ParseStep::Kind::Data, address, data_, {}};
}

ParseStep RecordCodec::End() {
    return {ParseStep::Kind::End, 0, {}, {}};
}

ParseStep RecordCodec::Fail(std::string_view what) const {
    return {ParseStep::Kind::Error,
            0,
            {},
            "record " + std::to_string(recordNumber_) + " " + std::string(what)};
}

} // namespace t8::sim
