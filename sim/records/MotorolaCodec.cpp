#include "sim/records/MotorolaCodec.h"

#include "sim/records/HexDigits.h"

#include <algorithm>
#include <array>

namespace t8::sim {
namespace {

// Address bytes by record type S0..S9; 0 marks a type that does not exist.
constexpr std::array<std::size_t, 10> kAddressBytes = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
constexpr std::string_view kHeaderText = "T8";

std::string MakeRecord(char type, std::uint32_t address, std::span<const std::uint8_t> data) {
    const std::size_t addressBytes = kAddressBytes[static_cast<std::size_t>(type - '0')];
    const auto count = static_cast<std::uint8_t>(addressBytes + data.size() + 1);
    std::string record = "S";
    record.push_back(type);
    AppendHexByte(record, count);
    AppendHex(record, address, static_cast<int>(addressBytes * 2));
    unsigned sum = count;
    for (std::size_t i = 0; i < addressBytes; ++i) {
        sum += (address >> (8 * i)) & 0xFFU;
    }
    for (const std::uint8_t byte : data) {
        AppendHexByte(record, byte);
        sum += byte;
    }
    AppendHexByte(record, static_cast<std::uint8_t>(~sum));
    return record;
}

} // namespace

std::vector<std::string> MotorolaCodec::Write(std::span<const std::uint8_t> data_,
                                              std::uint32_t start,
                                              std::size_t bytesPerRecord) const {
    const bool wide = start + data_.size() > 0x10000U;
    std::vector<std::string> records;
    const auto* header = reinterpret_cast<const std::uint8_t*>(kHeaderText.data());
    records.push_back(MakeRecord('0', 0, {header, kHeaderText.size()}));
    for (std::size_t done = 0; done < data_.size(); done += bytesPerRecord) {
        const std::size_t count = std::min(bytesPerRecord, data_.size() - done);
        records.push_back(MakeRecord(wide ? '2' : '1', start + static_cast<std::uint32_t>(done),
                                     data_.subspan(done, count)));
    }
    records.push_back(MakeRecord(wide ? '8' : '9', start, {}));
    return records;
}

void MotorolaCodec::Corrupt(std::string& record_) const {
    BumpHexDigit(record_, record_.size() - 1);
}

std::size_t MotorolaCodec::ExpectedLength(std::string_view partial) const {
    if (partial.size() < 4) {
        return 0;
    }
    return 4 + 2 * HexValue(partial.substr(2, 2));
}

ParseStep MotorolaCodec::Decode(std::string_view record_) {
    const auto type = static_cast<std::size_t>(record_[1] - '0');
    if (type >= kAddressBytes.size() || kAddressBytes[type] == 0) {
        return Fail("has an unknown type");
    }
    const std::size_t addressBytes = kAddressBytes[type];
    const std::size_t count = HexValue(record_.substr(2, 2));
    if (count < addressBytes + 1) {
        return Fail("is shorter than its address");
    }
    unsigned sum = 0;
    for (std::size_t i = 2; i + 2 < record_.size(); i += 2) {
        sum += HexValue(record_.substr(i, 2));
    }
    const unsigned read = HexValue(record_.substr(record_.size() - 2));
    if (((sum + read) & 0xFFU) != 0xFFU) {
        std::string what = "checksum error (read ";
        AppendHexByte(what, static_cast<std::uint8_t>(read));
        what += " expected ";
        AppendHexByte(what, static_cast<std::uint8_t>(~sum));
        return Fail(what + ")");
    }
    const std::uint32_t address = HexValue(record_.substr(4, addressBytes * 2));
    data.clear();
    for (std::size_t i = 4 + addressBytes * 2; i + 2 < record_.size(); i += 2) {
        data.push_back(static_cast<std::uint8_t>(HexValue(record_.substr(i, 2))));
    }
    if (type >= 1 && type <= 3) {
        return Data(address);
    }
    if (type >= 7) {
        return End();
    }
    return {}; // header and record counts carry nothing to store
}

} // namespace t8::sim
