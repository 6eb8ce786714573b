#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace t8::test {

// An Intel HEX record with its checksum, without a line end.
inline std::string IntelRecord(std::uint16_t address, const std::vector<std::uint8_t>& data,
                               std::uint8_t type = 0) {
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(data.size()),
                  static_cast<unsigned>(address), static_cast<unsigned>(type));
    std::string record = text;
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    for (const std::uint8_t byte : data) {
        std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(byte));
        record += text;
        sum += byte;
    }
    std::snprintf(text, sizeof text, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return record + text;
}

inline const std::string kEndRecord = ":00000001FF";

} // namespace t8::test
