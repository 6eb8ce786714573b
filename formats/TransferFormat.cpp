#include "TransferFormat.h"

#include <array>
#include <utility>

namespace t8 {

namespace {
constexpr std::array<std::pair<std::string_view, TransferFormat>, 5> kKeywordOrder{{
    {"TEK", TransferFormat::FormatTek},
    {"MOTOROLA", TransferFormat::FormatMotorola},
    {"BINARY", TransferFormat::FormatBinary},
    {"INTEL", TransferFormat::FormatIntel},
    {"ASCII", TransferFormat::FormatAscii},
}};
} // namespace

std::string_view FormatKeyword(TransferFormat format) {
    for (const auto& [keyword, value] : kKeywordOrder) {
        if (value == format) {
            return keyword;
        }
    }
    return {};
}

TransferFormat MatchFormatKeywords(std::string_view text) {
    TransferFormat result = TransferFormat::FormatUndetermined;
    for (const auto& [keyword, value] : kKeywordOrder) {
        if (text.find(keyword) != std::string_view::npos) {
            result = value;
        }
    }
    return result;
}

} // namespace t8
