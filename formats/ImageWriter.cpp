#include "formats/ImageWriter.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace t8 {

namespace {

std::vector<std::pair<std::uint64_t, std::uint64_t>> Ranges(const MemoryImage& image) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges; // [first, end)
    for (const ImageSegment& segment : image.Segments().Segments()) {
        ranges.emplace_back(segment.start, std::uint64_t{segment.end} + 1);
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> joined;
    for (const auto& range : ranges) {
        if (!joined.empty() && range.first <= joined.back().second) {
            joined.back().second = std::max(joined.back().second, range.second);
        } else {
            joined.push_back(range);
        }
    }
    return joined;
}

} // namespace

void ForEachPiece(const MemoryImage& image, std::size_t chunk, std::uint64_t boundary,
                  const std::function<void(std::uint32_t, std::span<const std::uint8_t>)>& piece) {
    std::vector<std::uint8_t> bytes(chunk);
    for (const auto& [first, end] : Ranges(image)) {
        for (std::uint64_t at = first; at < end;) {
            std::uint64_t stop = std::min<std::uint64_t>(end, at + chunk);
            if (boundary != 0) {
                stop = std::min(stop, (at / boundary + 1) * boundary);
            }
            const std::span<std::uint8_t> out(bytes.data(), stop - at);
            image.ReadPositions(at - image.BaseAddress(), out);
            piece(static_cast<std::uint32_t>(at), out);
            at = stop;
        }
    }
}

std::uint64_t SegmentsEnd(const MemoryImage& image) {
    const auto ranges = Ranges(image);
    return ranges.empty() ? 0 : ranges.back().second;
}

void AppendHex(std::string& text, std::uint32_t value, unsigned bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (unsigned i = bytes; i-- > 0;) {
        const unsigned byte = (value >> (i * 8)) & 0xFFU;
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xFU];
    }
}

} // namespace t8
