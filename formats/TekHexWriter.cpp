#include "formats/ImageWriter.h"

#include "formats/HexDigits.h"

namespace t8 {

namespace {
constexpr std::size_t kRecordBytes = 16;
constexpr std::uint64_t kStandardTop = 0x10000;
constexpr unsigned kExtendedAddressDigits = 8;

// The value of a character in the extended records' checksum (hex digits are all it meets).
std::uint32_t CharValue(char c) {
    return HexDigitValue(static_cast<unsigned char>(c));
}

void Standard(std::string& text, std::uint32_t address, std::span<const std::uint8_t> data) {
    std::string head;
    AppendHex(head, address, 2);
    AppendHex(head, static_cast<std::uint32_t>(data.size()), 1);
    std::string body;
    for (const std::uint8_t value : data) {
        AppendHex(body, value, 1);
    }
    text += '/' + head;
    AppendHex(text, HexDigitSum(head) & 0xFFU, 1);
    if (!data.empty()) {
        text += body;
        AppendHex(text, HexDigitSum(body) & 0xFFU, 1);
    }
    text += kLineEnd;
}

void Extended(std::string& text, char type, std::uint32_t address,
              std::span<const std::uint8_t> data) {
    std::string rest;
    rest += static_cast<char>('0' + kExtendedAddressDigits);
    AppendHex(rest, address, 4);
    for (const std::uint8_t value : data) {
        AppendHex(rest, value, 1);
    }
    std::string length;
    AppendHex(length, static_cast<std::uint32_t>(rest.size() + 5), 1);
    std::uint32_t sum = CharValue(type);
    for (const char c : length + rest) {
        sum += CharValue(c);
    }
    text += '%' + length + type;
    AppendHex(text, sum & 0xFFU, 1);
    text += rest + kLineEnd;
}
} // namespace

// Standard records while the image ends below 64 KiB, else extended ones with 32-bit addresses.
// The termination record names the first address, so that reading it never lowers the base.
ImageText WriteTekHex(const MemoryImage& image) {
    ImageText result;
    const bool standard = SegmentsEnd(image) <= kStandardTop;
    std::uint32_t first = 0;
    bool any = false;
    ForEachPiece(image, kRecordBytes, 0,
                 [&](std::uint32_t address, std::span<const std::uint8_t> data) {
                     first = any ? first : address;
                     any = true;
                     if (standard) {
                         Standard(result.text, address, data);
                     } else {
                         Extended(result.text, '6', address, data);
                     }
                 });
    if (standard) {
        Standard(result.text, first, {});
    } else {
        Extended(result.text, '8', first, {});
    }
    return result;
}

} // namespace t8
