#include "tools/JsonString.h"

#include <cstdint>
#include <cstdio>

namespace t8 {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

// The bounds of the second byte after each kind of lead byte, which rule out overlong forms,
// surrogates and code points above U+10FFFF; the other continuation bytes are 0x80-0xBF.
struct Lead {
    std::uint8_t low;
    std::uint8_t high;
    std::uint8_t secondLow;
    std::uint8_t secondHigh;
    std::size_t length;
};

constexpr Lead kLeads[] = {
    {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3}, {0xE1, 0xEC, 0x80, 0xBF, 3},
    {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
    {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
};

std::uint8_t At(std::string_view text, std::size_t i) {
    return static_cast<std::uint8_t>(text[i]);
}

// Length of the well-formed UTF-8 sequence of two or more bytes at `i`, 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const std::uint8_t byte = At(text, i);
    for (const Lead& lead : kLeads) {
        if (byte < lead.low || byte > lead.high) {
            continue;
        }
        if (i + lead.length > text.size() || At(text, i + 1) < lead.secondLow ||
            At(text, i + 1) > lead.secondHigh) {
            return 0;
        }
        for (std::size_t k = 2; k < lead.length; ++k) {
            if ((At(text, i + k) & 0xC0) != 0x80) {
                return 0;
            }
        }
        return lead.length;
    }
    return 0;
}

} // namespace

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (At(text, i) >= 0x80) {
            const std::size_t length = Utf8Length(text, i);
            if (length == 0) {
                return false;
            }
            i += length - 1;
        }
    }
    return true;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t length = At(text, i) < 0x80 ? 1 : Utf8Length(text, i);
        if (length == 0) {
            out += kReplacement;
        } else {
            out.append(text.substr(i, length));
            i += length - 1;
        }
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint8_t byte = At(text, i);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
            out += escaped;
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else if (const std::size_t length = Utf8Length(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length - 1;
        } else {
            out += kReplacement;
        }
    }
    return out + "\"";
}

std::string JsonField(std::string_view key, std::string_view text) {
    std::string field = JsonString(key) + ":" + JsonString(text);
    if (!IsUtf8(text)) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string hex;
        hex.reserve(text.size() * 2);
        for (const char c : text) {
            hex += kDigits[static_cast<std::uint8_t>(c) >> 4];
            hex += kDigits[static_cast<std::uint8_t>(c) & 0x0F];
        }
        field += "," + JsonString(std::string(key) + "Hex") + ":\"" + hex + "\"";
    }
    return field;
}

} // namespace t8
