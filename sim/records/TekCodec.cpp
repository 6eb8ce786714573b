#include "sim/records/TekCodec.h"

#include "sim/records/HexDigits.h"

#include <algorithm>

namespace t8::sim {
namespace {

constexpr int kExtendedAddressDigits = 8;
constexpr char kExtendedData = '6';
constexpr char kExtendedEnd = '8';

std::string StandardRecord(std::uint32_t address, std::span<const std::uint8_t> data) {
    std::string record = "/";
    AppendHex(record, address & 0xFFFFU, 4);
    AppendHexByte(record, static_cast<std::uint8_t>(data.size()));
    AppendHexByte(record, static_cast<std::uint8_t>(NibbleSum(std::string_view(record).substr(1))));
    if (data.empty()) {
        return record; // the termination record ends after its first checksum
    }
    std::string digits;
    for (const std::uint8_t byte : data) {
        AppendHexByte(digits, byte);
    }
    record += digits;
    AppendHexByte(record, static_cast<std::uint8_t>(NibbleSum(digits)));
    return record;
}

std::string ExtendedRecord(char type, std::uint32_t address, std::span<const std::uint8_t> data) {
    std::string body;
    AppendHex(body, kExtendedAddressDigits, 1);
    AppendHex(body, address, kExtendedAddressDigits);
    for (const std::uint8_t byte : data) {
        AppendHexByte(body, byte);
    }
    std::string head;
    AppendHexByte(head, static_cast<std::uint8_t>(body.size() + 5));
    head.push_back(type);
    const unsigned sum = NibbleSum(head) + NibbleSum(body);
    std::string record = "%" + head;
    AppendHexByte(record, static_cast<std::uint8_t>(sum));
    return record + body;
}

} // namespace

std::vector<std::string> TekCodec::Write(std::span<const std::uint8_t> data_, std::uint32_t start,
                                         std::size_t bytesPerRecord) const {
    std::vector<std::string> records;
    for (std::size_t done = 0; done < data_.size(); done += bytesPerRecord) {
        const std::size_t count = std::min(bytesPerRecord, data_.size() - done);
        const std::uint32_t address = start + static_cast<std::uint32_t>(done);
        const auto part = data_.subspan(done, count);
        records.push_back(writeExtended ? ExtendedRecord(kExtendedData, address, part)
                                        : StandardRecord(address, part));
    }
    records.push_back(writeExtended ? ExtendedRecord(kExtendedEnd, start, {})
                                    : StandardRecord(start, {}));
    return records;
}

void TekCodec::Corrupt(std::string& record_) const {
    // the extended checksum sits after length and type; a standard record ends in its checksum
    BumpHexDigit(record_, record_[0] == '%' ? 4 : record_.size() - 1);
}

std::size_t TekCodec::ExpectedLength(std::string_view partial) const {
    if (partial[0] == '%') {
        return partial.size() < 3 ? 0 : 1 + HexValue(partial.substr(1, 2));
    }
    if (partial.size() < 7) {
        return 0;
    }
    const std::size_t count = HexValue(partial.substr(5, 2));
    return count == 0 ? 9 : 11 + 2 * count;
}

ParseStep TekCodec::Decode(std::string_view record_) {
    return record_[0] == '%' ? DecodeExtended(record_) : DecodeStandard(record_);
}

ParseStep TekCodec::DecodeStandard(std::string_view record_) {
    const std::uint32_t address = HexValue(record_.substr(1, 4));
    const std::size_t count = HexValue(record_.substr(5, 2));
    const unsigned check1 = NibbleSum(record_.substr(1, 6)) & 0xFFU;
    const unsigned read1 = HexValue(record_.substr(7, 2));
    if (check1 != read1) {
        return ChecksumError("first", read1, check1);
    }
    if (count == 0) {
        return End();
    }
    const std::string_view digits = record_.substr(9, 2 * count);
    const unsigned check2 = NibbleSum(digits) & 0xFFU;
    const unsigned read2 = HexValue(record_.substr(9 + 2 * count, 2));
    if (check2 != read2) {
        return ChecksumError("second", read2, check2);
    }
    data.clear();
    for (std::size_t i = 0; i < count; ++i) {
        data.push_back(static_cast<std::uint8_t>(HexValue(digits.substr(2 * i, 2))));
    }
    return Data(address);
}

ParseStep TekCodec::DecodeExtended(std::string_view record_) {
    if (record_.size() < 7) {
        return Fail("is too short");
    }
    const char type = record_[3];
    const auto digits = static_cast<std::size_t>(NibbleValue(record_[6]));
    if (digits > 8 || 7 + digits > record_.size() || (record_.size() - 7 - digits) % 2 != 0) {
        return Fail("has a bad address length");
    }
    const unsigned check = (NibbleSum(record_.substr(1, 3)) + NibbleSum(record_.substr(6))) & 0xFFU;
    const unsigned read = HexValue(record_.substr(4, 2));
    if (check != read) {
        return ChecksumError("", read, check);
    }
    const std::uint32_t address = digits == 0 ? 0 : HexValue(record_.substr(7, digits));
    if (type == kExtendedEnd) {
        return End();
    }
    if (type != kExtendedData) {
        return Fail("has an unsupported type");
    }
    data.clear();
    for (std::size_t i = 7 + digits; i < record_.size(); i += 2) {
        data.push_back(static_cast<std::uint8_t>(HexValue(record_.substr(i, 2))));
    }
    return Data(address);
}

ParseStep TekCodec::ChecksumError(std::string_view which, unsigned read, unsigned expected) const {
    std::string what =
        which.empty() ? "checksum error (read " : std::string(which) + " checksum error (read ";
    AppendHexByte(what, static_cast<std::uint8_t>(read));
    what += " expected ";
    AppendHexByte(what, static_cast<std::uint8_t>(expected));
    return Fail(what + ")");
}

} // namespace t8::sim
