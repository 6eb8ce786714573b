#include "transfer/PromptParser.h"

#include "formats/HexDigits.h"

namespace t8 {
namespace {

// The device's addresses have five digits; the start is read from just those before the comma.
constexpr std::size_t kStartDigits = 5;

} // namespace

std::uint32_t ParseHexNumber(std::string_view text) {
    std::uint32_t value = 0;
    for (const char c : text) {
        if (!IsHexDigit(static_cast<unsigned char>(c))) {
            break;
        }
        value = value * 16U + HexDigitValue(static_cast<unsigned char>(c));
    }
    return value;
}

PromptReading ParsePromptText(std::string_view promptText, TransferFormat format) {
    std::size_t separator = promptText.find(',');
    if (separator == std::string_view::npos) {
        separator = promptText.find(':');
    }
    std::string_view first;
    std::string_view second;
    if (separator != std::string_view::npos) {
        if (separator >= kStartDigits) {
            first = promptText.substr(separator - kStartDigits, kStartDigits);
        }
        second = promptText.substr(separator + 1);
    }
    PromptReading reading;
    const TransferFormat named = MatchFormatKeywords(promptText);
    reading.format = named == TransferFormat::FormatUndetermined ? format : named;
    reading.rangeStart = static_cast<std::int32_t>(ParseHexNumber(first));
    reading.rangeEnd = static_cast<std::int32_t>(ParseHexNumber(second));
    if (reading.rangeStart < 0) {
        reading.rangeStart = 0;
    }
    if (reading.rangeEnd < 1) {
        reading.rangeEnd = kOpenRangeEnd;
    }
    return reading;
}

} // namespace t8
