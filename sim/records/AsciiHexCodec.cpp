#include "sim/records/AsciiHexCodec.h"

#include "sim/records/HexDigits.h"

#include <algorithm>

namespace t8::sim {

std::vector<std::string> AsciiHexCodec::Write(std::span<const std::uint8_t> data,
                                              std::uint32_t /*start*/,
                                              std::size_t bytesPerRecord) const {
    std::vector<std::string> lines;
    for (std::size_t done = 0; done < data.size(); done += bytesPerRecord) {
        std::string line;
        const std::size_t count = std::min(bytesPerRecord, data.size() - done);
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) {
                line.push_back(' ');
            }
            AppendHexByte(line, data[done + i]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void AsciiHexCodec::Corrupt(std::string& record) const {
    BumpHexDigit(record, 0);
}

void AsciiHexCodec::Reset(std::uint32_t loadAddress) {
    address = loadAddress;
    highNibble = -1;
    bytesRead = 0;
}

ParseStep AsciiHexCodec::Feed(std::uint8_t byte_) {
    const int nibble = NibbleValue(static_cast<char>(byte_));
    if (nibble >= 0 && highNibble < 0) {
        highNibble = nibble;
        return {};
    }
    if (nibble >= 0) {
        byte = static_cast<std::uint8_t>((highNibble << 4) | nibble);
        highNibble = -1;
        ++bytesRead;
        return {ParseStep::Kind::Data, address++, {&byte, 1}, {}};
    }
    const bool separator = byte_ == ' ' || byte_ == '\t' || byte_ == '\r' || byte_ == '\n';
    if (separator && highNibble < 0) {
        return {};
    }
    highNibble = -1;
    std::string what = separator ? "half a byte" : "unexpected character 0x";
    if (!separator) {
        AppendHexByte(what, byte_);
    }
    return {ParseStep::Kind::Error, 0, {}, what + " after byte " + std::to_string(bytesRead)};
}

ParseStep AsciiHexCodec::Finish() {
    if (highNibble >= 0) {
        highNibble = -1;
        return {ParseStep::Kind::Error, 0, {}, "half a byte at the end"};
    }
    return {ParseStep::Kind::End, 0, {}, {}};
}

} // namespace t8::sim
