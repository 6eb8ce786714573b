#include "formats/ByteSum.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace t8 {

std::uint32_t SumBytes(const std::uint8_t* bytes, std::size_t count) {
    std::uint64_t sum = 0;
    std::size_t done = 0;
#if defined(__SSE2__)
    // Each block's bytes add up in two 64-bit lanes, which no file can fill.
    const __m128i zero = _mm_setzero_si128();
    __m128i lanes = zero;
    for (; done + 16 <= count; done += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + done));
        lanes = _mm_add_epi64(lanes, _mm_sad_epu8(block, zero));
    }
    std::uint64_t halves[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), lanes);
    sum = halves[0] + halves[1];
#endif
    for (; done < count; ++done) {
        sum += bytes[done];
    }
    return static_cast<std::uint32_t>(sum);
}

} // namespace t8
