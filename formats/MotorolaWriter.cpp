#include "formats/ImageWriter.h"

namespace t8 {

namespace {
constexpr std::size_t kRecordBytes = 16;
constexpr std::uint64_t kS1Top = 0x10000;
constexpr std::uint64_t kS2Top = 0x1000000;

void Record(std::string& text, char type, unsigned addressBytes, std::uint32_t address,
            std::span<const std::uint8_t> data) {
    const auto count = static_cast<std::uint32_t>(data.size() + addressBytes + 1);
    std::uint32_t sum = count;
    text += 'S';
    text += type;
    AppendHex(text, count, 1);
    AppendHex(text, address, addressBytes);
    for (unsigned i = 0; i < addressBytes; ++i) {
        sum += (address >> (i * 8)) & 0xFFU;
    }
    for (const std::uint8_t value : data) {
        AppendHex(text, value, 1);
        sum += value;
    }
    AppendHex(text, ~sum & 0xFFU, 1);
    text += kLineEnd;
}
} // namespace

// S1 records while the image ends below 64 KiB, else S2; the reader takes no S3 records.
ImageText WriteMotorola(const MemoryImage& image) {
    ImageText result;
    const std::uint64_t end = SegmentsEnd(image);
    if (end > kS2Top) {
        result.problem = "addresses above 0xFFFFFF do not fit in S1 or S2 records";
        return result;
    }
    const bool wide = end > kS1Top;
    Record(result.text, '0', 2, 0, {});
    ForEachPiece(image, kRecordBytes, 0,
                 [&](std::uint32_t address, std::span<const std::uint8_t> data) {
                     Record(result.text, wide ? '2' : '1', wide ? 3 : 2, address, data);
                 });
    Record(result.text, wide ? '8' : '9', wide ? 3 : 2, 0, {});
    return result;
}

} // namespace t8
