#include "formats/ImageWriter.h"

#include <vector>

namespace t8 {

namespace {
constexpr std::size_t kBytesPerLine = 16;

// The image from address 0 to its end, the fill byte where nothing was loaded.
bool FromZero(const MemoryImage& image, std::vector<std::uint8_t>& bytes, ImageText& result) {
    const std::uint64_t end = SegmentsEnd(image);
    if (end > kMaxAddresslessBytes) {
        result.problem =
            "a file without addresses would hold " + std::to_string(end) + " bytes from address 0";
        return false;
    }
    bytes.assign(end, image.FillByte());
    if (end > 0 && image.BaseAddress() != MemoryImage::kNoBase) {
        const std::uint32_t base = image.BaseAddress();
        image.ReadPositions(0, std::span(bytes).subspan(std::min<std::uint64_t>(base, end)));
    }
    return true;
}
} // namespace

// Two digits a byte, 16 a line, separated by blanks.
ImageText WriteAsciiHex(const MemoryImage& image) {
    ImageText result;
    std::vector<std::uint8_t> bytes;
    if (!FromZero(image, bytes, result)) {
        return result;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        AppendHex(result.text, bytes[i], 1);
        result.text += (i + 1) % kBytesPerLine == 0 || i + 1 == bytes.size() ? kLineEnd : " ";
    }
    return result;
}

ImageText WriteBinary(const MemoryImage& image) {
    ImageText result;
    std::vector<std::uint8_t> bytes;
    if (FromZero(image, bytes, result)) {
        result.text.assign(bytes.begin(), bytes.end());
    }
    return result;
}

} // namespace t8
