#pragma once

#include "formats/MemoryImage.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace t8 {

struct ImageText {
    std::string text;    // the file's bytes
    std::string problem; // why the image cannot be written in the format; empty when it was
};

using ImageWriterFn = ImageText (*)(const MemoryImage& image);

// Formats without addresses hold the image from address 0: no larger file than this is written.
inline constexpr std::uint64_t kMaxAddresslessBytes = std::uint64_t{64} << 20;
// Every text writer ends its lines so, as the device's own files do.
inline constexpr const char* kLineEnd = "\r\n";

// The image's segments in ascending order, joined where they meet, cut into pieces of at most
// `chunk` bytes that never cross a multiple of `boundary` (0: no boundary).
void ForEachPiece(const MemoryImage& image, std::size_t chunk, std::uint64_t boundary,
                  const std::function<void(std::uint32_t, std::span<const std::uint8_t>)>& piece);
// One past the highest address of the segments (0 when there is none).
[[nodiscard]] std::uint64_t SegmentsEnd(const MemoryImage& image);
// Two upper-case hex digits per byte of `value`'s low `bytes` bytes, most significant first.
void AppendHex(std::string& text, std::uint32_t value, unsigned bytes);

[[nodiscard]] ImageText WriteIntelHex(const MemoryImage& image);
[[nodiscard]] ImageText WriteMotorola(const MemoryImage& image);
[[nodiscard]] ImageText WriteTekHex(const MemoryImage& image);
[[nodiscard]] ImageText WriteAsciiHex(const MemoryImage& image);
[[nodiscard]] ImageText WriteBinary(const MemoryImage& image);

} // namespace t8
