#include "terminal/CaptureStamps.h"

#include <algorithm>

namespace t8 {

void CaptureStamps::Reset() {
    starts.clear();
    length = 0;
    lineStart = true;
}

void CaptureStamps::Note(const std::uint8_t* bytes, std::size_t count, StampTime now) {
    for (std::size_t i = 0; i < count; ++i) {
        if (lineStart) {
            starts.emplace_back(length + i, now);
        }
        lineStart = bytes[i] == '\n';
    }
    length += count;
}

std::vector<std::uint8_t> CaptureStamps::Stamped(std::span<const std::uint8_t> captured) const {
    std::vector<std::uint8_t> text;
    text.reserve(captured.size() + starts.size() * 13);
    std::size_t from = 0;
    for (const auto& [offset, time] : starts) {
        if (offset >= captured.size()) {
            break;
        }
        text.insert(text.end(), captured.begin() + static_cast<std::ptrdiff_t>(from),
                    captured.begin() + static_cast<std::ptrdiff_t>(offset));
        const std::string stamp = FormatStamp(time) + " ";
        text.insert(text.end(), stamp.begin(), stamp.end());
        from = offset;
    }
    text.insert(text.end(), captured.begin() + static_cast<std::ptrdiff_t>(from), captured.end());
    return text;
}

} // namespace t8
