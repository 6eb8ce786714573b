#include "formats/ImageWriter.h"

namespace t8 {

namespace {
constexpr std::size_t kRecordBytes = 16;
constexpr std::uint64_t kPage = 0x10000; // a data record's 16-bit offset never wraps

void Record(std::string& text, std::uint32_t type, std::uint32_t offset,
            std::span<const std::uint8_t> data) {
    std::uint32_t sum =
        static_cast<std::uint32_t>(data.size()) + (offset >> 8) + (offset & 0xFF) + type;
    text += ':';
    AppendHex(text, static_cast<std::uint32_t>(data.size()), 1);
    AppendHex(text, offset, 2);
    AppendHex(text, type, 1);
    for (const std::uint8_t value : data) {
        AppendHex(text, value, 1);
        sum += value;
    }
    AppendHex(text, (0U - sum) & 0xFFU, 1);
    text += kLineEnd;
}
} // namespace

// Data records of 16 bytes; an extended linear address record wherever the upper 16 bits change.
ImageText WriteIntelHex(const MemoryImage& image) {
    ImageText result;
    std::uint32_t upper = 0;
    ForEachPiece(image, kRecordBytes, kPage,
                 [&](std::uint32_t address, std::span<const std::uint8_t> data) {
                     if ((address >> 16) != upper) {
                         upper = address >> 16;
                         const std::uint8_t high[] = {static_cast<std::uint8_t>(upper >> 8),
                                                      static_cast<std::uint8_t>(upper)};
                         Record(result.text, 0x04, 0, high);
                     }
                     Record(result.text, 0x00, address & 0xFFFFU, data);
                 });
    Record(result.text, 0x01, 0, {});
    return result;
}

} // namespace t8
