#include "sim/records/Format.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace t8::sim {
namespace {

constexpr std::array<FormatInfo, 6> kInfos = {{
    {Format::Binary, "BINARY", "BINARY", false, true},
    {Format::Ascii, "ASCII", "ASCII", false, false},
    {Format::Intel, "INTEL", "INTEL", true, false},
    {Format::Motorola, "MOTOROLA", "MOTOROLA", true, false},
    {Format::Tek, "TEK", "TEK", true, false},
    {Format::TekExtended, "TEK EXTENDED", "TEK", true, false},
}};

} // namespace

const FormatInfo& InfoOf(Format format) {
    return kInfos[static_cast<std::size_t>(format)];
}

std::optional<Format> FormatFromName(std::string_view name) {
    std::string wanted(name);
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](char c) {
        return c == '-' || c == '_' ? ' ' : static_cast<char>(std::toupper(c));
    });
    for (const FormatInfo& info : kInfos) {
        if (info.name == wanted) {
            return info.format;
        }
    }
    return std::nullopt;
}

} // namespace t8::sim
