#include "formats/RecordPatch.h"

#include "formats/HexDigits.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace t8 {

namespace {

// A character's value in the 64-character alphabet of the extended records' checksum.
int AlphabetValue(int c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 40;
    }
    switch (c) {
    case '$':
        return 36;
    case '%':
        return 37;
    case '.':
        return 38;
    case '_':
        return 39;
    default:
        return 0;
    }
}

// What a pair of digits adds to a checksum of this kind.
int Measure(SpanChecksum kind, std::uint8_t high, std::uint8_t low) {
    switch (kind) {
    case SpanChecksum::NegatedValueSum:
        return -static_cast<int>(HexDigitValue(high) * 16 + HexDigitValue(low));
    case SpanChecksum::DigitSum:
        return static_cast<int>(HexDigitValue(high) + HexDigitValue(low));
    case SpanChecksum::CharSum:
        return AlphabetValue(high) + AlphabetValue(low);
    case SpanChecksum::None:
        break;
    }
    return 0;
}

bool LowerCase(std::uint8_t c) {
    return c >= 'a' && c <= 'f';
}
bool UpperCase(std::uint8_t c) {
    return c >= 'A' && c <= 'F';
}

class Patcher {
public:
    explicit Patcher(std::span<const std::uint8_t> file) : bytes(file.begin(), file.end()) {}

    // The case of a pair without letters is that of the first letter among the record's data,
    // or in a record without letters, of the first in the file.
    void StartRecord(const RecordSpan& span) {
        const std::uint64_t last = span.dataOffset + std::uint64_t{span.count} * 2;
        lower = FirstLetterLower(span.dataOffset, last).value_or(FileLower());
        delta = 0;
    }

    // Replaces the pair at `at` with `value`; the change of its measure goes to the checksum.
    bool WritePair(std::uint64_t at, std::uint8_t value, SpanChecksum kind) {
        if (at + 1 >= bytes.size() || !IsHexDigit(bytes[at]) || !IsHexDigit(bytes[at + 1])) {
            return false;
        }
        const std::uint8_t high = bytes[at];
        const std::uint8_t low = bytes[at + 1];
        if (HexDigitValue(high) * 16 + HexDigitValue(low) == value) {
            return true; // unchanged: its characters stay as they were
        }
        const bool pairLower = LowerCase(high) || LowerCase(low);
        const bool pairUpper = UpperCase(high) || UpperCase(low);
        const char* digits =
            (pairLower || (!pairUpper && lower)) ? "0123456789abcdef" : "0123456789ABCDEF";
        bytes[at] = static_cast<std::uint8_t>(digits[value >> 4]);
        bytes[at + 1] = static_cast<std::uint8_t>(digits[value & 0xF]);
        delta += Measure(kind, bytes[at], bytes[at + 1]) - Measure(kind, high, low);
        return true;
    }

    bool FixChecksum(const RecordSpan& span) {
        if (span.checksum == SpanChecksum::None || delta % 256 == 0) {
            return true;
        }
        const std::uint64_t at = span.checksumOffset;
        if (at + 1 >= bytes.size() || !IsHexDigit(bytes[at]) || !IsHexDigit(bytes[at + 1])) {
            return false;
        }
        const int old =
            static_cast<int>(HexDigitValue(bytes[at]) * 16 + HexDigitValue(bytes[at + 1]));
        const auto fixed = static_cast<std::uint8_t>((old + delta % 256 + 256) % 256);
        lower = LowerCase(bytes[at]) || LowerCase(bytes[at + 1]) ||
                (!UpperCase(bytes[at]) && !UpperCase(bytes[at + 1]) && lower);
        delta = 0;
        return WritePair(at, fixed, SpanChecksum::None);
    }

    std::vector<std::uint8_t> bytes;

private:
    [[nodiscard]] std::optional<bool> FirstLetterLower(std::uint64_t from, std::uint64_t to) const {
        for (std::uint64_t at = from; at < to && at < bytes.size(); ++at) {
            if (LowerCase(bytes[at]) || UpperCase(bytes[at])) {
                return LowerCase(bytes[at]);
            }
        }
        return std::nullopt;
    }
    [[nodiscard]] bool FileLower() {
        if (fileCase == kCaseUnknown) {
            fileCase = FirstLetterLower(0, bytes.size()).value_or(false) ? 1 : 0;
        }
        return fileCase == 1;
    }

    static constexpr int kCaseUnknown = -1;
    int fileCase = kCaseUnknown; // 1: lower, 0: upper
    bool lower = false;
    int delta = 0;
};

std::string Problem(const char* what, std::uint32_t address) {
    char text[96];
    std::snprintf(text, sizeof text, "the record holding 0x%08X has %s", address, what);
    return text;
}

} // namespace

PatchResult PatchRecords(std::span<const std::uint8_t> file, const std::vector<RecordSpan>& spans,
                         std::uint32_t address, std::span<const std::uint8_t> values) {
    Patcher patcher(file);
    const std::uint64_t end = std::uint64_t{address} + values.size();
    for (const RecordSpan& span : spans) {
        const std::uint64_t spanEnd = std::uint64_t{span.address} + span.count;
        patcher.StartRecord(span);
        for (std::uint64_t at = std::max<std::uint64_t>(address, span.address);
             at < std::min(end, spanEnd); ++at) {
            const std::uint8_t value = values[at - address];
            const std::uint64_t index = at - span.address;
            if (span.digits == SpanDigits::Raw) {
                if (span.dataOffset + index >= patcher.bytes.size()) {
                    return {{}, Problem("fewer bytes than it claims", span.address)};
                }
                patcher.bytes[span.dataOffset + index] = value;
            } else if (!patcher.WritePair(span.dataOffset + index * 2, value, span.checksum)) {
                return {{}, Problem("a byte that is not two hex digits", span.address)};
            }
        }
        if (!patcher.FixChecksum(span)) {
            return {{}, Problem("no checksum", span.address)};
        }
    }
    return {std::move(patcher.bytes), {}};
}

} // namespace t8
