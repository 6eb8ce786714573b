#include "sim/records/IntelCodec.h"

#include "sim/records/HexDigits.h"

#include <algorithm>

namespace t8::sim {
namespace {

constexpr std::uint8_t kTypeData = 0x00;
constexpr std::uint8_t kTypeEnd = 0x01;
constexpr std::uint8_t kTypeSegment = 0x02;
constexpr std::uint8_t kTypeStartSegment = 0x03;
constexpr std::uint8_t kTypeLinear = 0x04;
constexpr std::uint8_t kTypeStartLinear = 0x05;

std::string MakeRecord(std::uint8_t type, std::uint16_t offset,
                       std::span<const std::uint8_t> data) {
    std::string record = ":";
    unsigned sum = static_cast<unsigned>(data.size()) + (offset >> 8) + (offset & 0xFFU) + type;
    AppendHexByte(record, static_cast<std::uint8_t>(data.size()));
    AppendHex(record, offset, 4);
    AppendHexByte(record, type);
    for (const std::uint8_t byte : data) {
        AppendHexByte(record, byte);
        sum += byte;
    }
    AppendHexByte(record, static_cast<std::uint8_t>(0x100U - (sum & 0xFFU)));
    return record;
}

} // namespace

std::vector<std::string> IntelCodec::Write(std::span<const std::uint8_t> data_, std::uint32_t start,
                                           std::size_t bytesPerRecord) const {
    std::vector<std::string> records;
    std::uint32_t upper = 0;
    std::size_t done = 0;
    while (done < data_.size()) {
        const std::uint32_t address = start + static_cast<std::uint32_t>(done);
        if ((address >> 16) != upper) {
            upper = address >> 16;
            const std::uint8_t value[2] = {static_cast<std::uint8_t>(upper >> 8),
                                           static_cast<std::uint8_t>(upper)};
            records.push_back(MakeRecord(kTypeLinear, 0, value));
        }
        // a record never crosses a 64 KiB boundary: its offset would wrap
        const std::size_t room = 0x10000U - (address & 0xFFFFU);
        const std::size_t count = std::min({bytesPerRecord, data_.size() - done, room});
        records.push_back(
            MakeRecord(kTypeData, static_cast<std::uint16_t>(address), data_.subspan(done, count)));
        done += count;
    }
    records.push_back(MakeRecord(kTypeEnd, 0, {}));
    return records;
}

void IntelCodec::Corrupt(std::string& record_) const {
    BumpHexDigit(record_, record_.size() - 1);
}

std::size_t IntelCodec::ExpectedLength(std::string_view partial) const {
    if (partial.size() < 3) {
        return 0;
    }
    return 11 + 2 * HexValue(partial.substr(1, 2));
}

ParseStep IntelCodec::Decode(std::string_view record_) {
    const std::size_t count = HexValue(record_.substr(1, 2));
    const std::uint32_t offset = HexValue(record_.substr(3, 4));
    const auto type = static_cast<std::uint8_t>(HexValue(record_.substr(7, 2)));
    data.clear();
    unsigned sum = 0;
    for (std::size_t i = 1; i + 1 < record_.size(); i += 2) {
        sum += HexValue(record_.substr(i, 2));
    }
    if ((sum & 0xFFU) != 0) {
        const unsigned read = HexValue(record_.substr(record_.size() - 2));
        std::string what = "checksum error (read ";
        AppendHexByte(what, static_cast<std::uint8_t>(read));
        what += " expected ";
        AppendHexByte(what, static_cast<std::uint8_t>(read - sum));
        return Fail(what + ")");
    }
    for (std::size_t i = 0; i < count; ++i) {
        data.push_back(static_cast<std::uint8_t>(HexValue(record_.substr(9 + 2 * i, 2))));
    }
    switch (type) {
    case kTypeData:
        return Data(upperAddress + offset);
    case kTypeEnd:
        return End();
    case kTypeSegment:
    case kTypeLinear:
        if (count != 2) {
            return Fail("has an address record of the wrong length");
        }
        upperAddress = ((std::uint32_t{data[0]} << 8) | data[1]) << (type == kTypeLinear ? 16 : 4);
        return {};
    case kTypeStartSegment:
    case kTypeStartLinear:
        return {};
    default:
        return Fail("has an unknown type");
    }
}

} // namespace t8::sim
