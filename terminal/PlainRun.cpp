#include "terminal/PlainRun.h"

#include "link/LineSettings.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace t8 {
namespace {

constexpr std::uint8_t kFirstGlyph = 0x20;
// Below kFirstGlyph, the bytes set in these masks end a run.
constexpr std::uint32_t kControlStops = 1U << 0x07 | 1U << 0x08 | 1U << 0x0A | 1U << 0x0D;
constexpr std::uint32_t kFlowStops = 1U << kXonChar | 1U << kXoffChar;
constexpr std::uint64_t kEveryByte = 0x0101010101010101U;
constexpr std::size_t kWord = sizeof(std::uint64_t);

// The top bit of each of the eight bytes from `bytes` on that is below kFirstGlyph or is the
// prompt character. A borrow only ever runs upwards, so the lowest bit set marks a byte that
// really is one; bits above it may be borrows.
std::uint64_t Candidates(const std::uint8_t* bytes, std::uint64_t prompts) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap64(word); // byte 0 in the low bits, as below
    }
    const std::uint64_t low = (word - kEveryByte * kFirstGlyph) & ~word;
    const std::uint64_t other = word ^ prompts;
    const std::uint64_t prompt = (other - kEveryByte) & ~other;
    return (low | prompt) & kEveryByte * 0x80;
}

// Where, from `from` on, the first byte below kFirstGlyph or equal to the prompt character
// lies, looking sixteen bytes a step where the processor has SSE2 and eight after that; or,
// when there is none, where the last fewer than eight bytes before `limit` begin.
std::size_t BeforeCandidate(const std::uint8_t* bytes, std::size_t from, std::size_t limit,
                            std::uint8_t promptChar) {
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i lastControl = _mm_set1_epi8(kFirstGlyph - 1);
    const __m128i prompt = _mm_set1_epi8(static_cast<char>(promptChar));
    for (; at + 16 <= limit; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(block, lastControl), block);
        const auto found = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(control, _mm_cmpeq_epi8(block, prompt))));
        if (found != 0) {
            return at + static_cast<std::size_t>(std::countr_zero(found));
        }
    }
#endif
    const std::uint64_t prompts = kEveryByte * promptChar;
    for (; at + kWord <= limit; at += kWord) {
        const std::uint64_t found = Candidates(bytes + at, prompts);
        if (found != 0) {
            return at + static_cast<std::size_t>(std::countr_zero(found)) / 8;
        }
    }
    return at;
}

} // namespace

std::size_t PlainRunLength(const std::uint8_t* bytes, std::size_t limit, bool flowControl,
                           std::uint8_t promptChar, bool& prompt) {
    const std::uint32_t stops = flowControl ? kControlStops | kFlowStops : kControlStops;
    std::size_t plain = 0;
    for (;;) {
        plain = BeforeCandidate(bytes, plain, limit, promptChar);
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
