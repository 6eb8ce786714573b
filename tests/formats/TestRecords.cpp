#include "tests/formats/TestRecords.h"

#include <cstdio>

namespace t8::test {

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::uint32_t ByteSum(const Bytes& data) {
    std::uint32_t sum = 0;
    for (const std::uint8_t b : data) {
        sum += b;
    }
    return sum;
}

std::string IntelRecord(std::uint32_t type, std::uint32_t offset, const Bytes& data) {
    std::uint32_t sum =
        static_cast<std::uint32_t>(data.size()) + (offset >> 8) + (offset & 0xFF) + type;
    std::string text =
        ":" + Hex(static_cast<std::uint32_t>(data.size()), 2) + Hex(offset, 4) + Hex(type, 2);
    for (const std::uint8_t b : data) {
        text += Hex(b, 2);
    }
    return text + Hex((0x100 - (sum + ByteSum(data))) & 0xFF, 2) + "\r\n";
}

std::string IntelEnd() {
    return ":00000001FF\r\n";
}

std::string SRecord(int type, std::uint32_t address, const Bytes& data) {
    const int addressBytes = type == 1 ? 2 : 3;
    const auto count = static_cast<std::uint32_t>(data.size() + addressBytes + 1);
    std::uint32_t sum = count + ByteSum(data);
    for (int i = 0; i < addressBytes; ++i) {
        sum += (address >> (8 * i)) & 0xFF;
    }
    std::string text = "S" + std::to_string(type) + Hex(count, 2) + Hex(address, addressBytes * 2);
    for (const std::uint8_t b : data) {
        text += Hex(b, 2);
    }
    return text + Hex(~sum & 0xFF, 2) + "\n";
}

namespace {
std::uint32_t DigitSum(const std::string& text) {
    std::uint32_t sum = 0;
    for (const char c : text) {
        sum += static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return sum;
}
} // namespace

std::string TekRecord(std::uint32_t address, const Bytes& data) {
    const std::string head = Hex(address, 4) + Hex(static_cast<std::uint32_t>(data.size()), 2);
    std::string body;
    for (const std::uint8_t b : data) {
        body += Hex(b, 2);
    }
    if (data.empty()) {
        return "/" + head + Hex(DigitSum(head) & 0xFF, 2) + "\n";
    }
    return "/" + head + Hex(DigitSum(head) & 0xFF, 2) + body + Hex(DigitSum(body) & 0xFF, 2) + "\n";
}

std::string TekExtended(char type, std::uint32_t address, const Bytes& data) {
    const std::string addressText = Hex(address, 8);
    std::string body = std::string(1, type) + "00" + "8" + addressText;
    for (const std::uint8_t b : data) {
        body += Hex(b, 2);
    }
    return "%" + Hex(static_cast<std::uint32_t>(body.size() + 2), 2) + body + "\n";
}

Bytes ToBytes(const std::string& text) {
    return {text.begin(), text.end()};
}

Bytes Filled(std::size_t count, std::uint8_t value) {
    return Bytes(count, value);
}

} // namespace t8::test
