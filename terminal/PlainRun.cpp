#include "terminal/PlainRun.h"

#include "link/LineSettings.h"

#include <cstring>

namespace t8 {
namespace {

constexpr std::uint8_t kFirstGlyph = 0x20;
// Below kFirstGlyph, the bytes set in these masks end a run.
constexpr std::uint32_t kControlStops = 1U << 0x07 | 1U << 0x08 | 1U << 0x0A | 1U << 0x0D;
constexpr std::uint32_t kFlowStops = 1U << kXonChar | 1U << kXoffChar;
constexpr std::uint64_t kEveryByte = 0x0101010101010101U;

// True when one of the eight bytes from `bytes` on is below kFirstGlyph or is `promptChar`:
// such a byte leaves a borrow in its top bit.
bool MayStopOrPrompt(const std::uint8_t* bytes, std::uint64_t prompts) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    const std::uint64_t low = (word - kEveryByte * kFirstGlyph) & ~word;
    const std::uint64_t other = word ^ prompts;
    const std::uint64_t prompt = (other - kEveryByte) & ~other;
    return ((low | prompt) & kEveryByte * 0x80) != 0;
}

} // namespace

std::size_t PlainRunLength(const std::uint8_t* bytes, std::size_t limit, bool flowControl,
                           std::uint8_t promptChar, bool& prompt) {
    const std::uint32_t stops = flowControl ? kControlStops | kFlowStops : kControlStops;
    const std::uint64_t prompts = kEveryByte * promptChar;
    std::size_t plain = 0;
    for (;;) {
        while (plain + sizeof(std::uint64_t) <= limit && !MayStopOrPrompt(bytes + plain, prompts)) {
            plain += sizeof(std::uint64_t);
        }
        if (plain == limit) {
            return plain;
        }
        const std::uint8_t byte = bytes[plain];
        if (byte < kFirstGlyph && ((stops >> byte) & 1U) != 0) {
            return plain;
        }
        prompt = prompt || byte == promptChar;
        ++plain;
    }
}

} // namespace t8
