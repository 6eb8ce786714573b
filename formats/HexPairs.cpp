#include "formats/HexPairs.h"

#include "formats/HexDigits.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace t8 {

namespace {

constexpr std::size_t kBlockBytes = 16;

#if defined(__SSE2__)
// The digit value of each of 16 characters, 0 where a character is no digit.
__m128i DigitValues(__m128i text) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i decimal = _mm_sub_epi8(text, _mm_set1_epi8('0'));
    const __m128i isDecimal = _mm_cmpeq_epi8(_mm_subs_epu8(decimal, _mm_set1_epi8(9)), zero);
    // Setting bit 5 takes 'A'-'F' to 'a'-'f' and no other character there.
    const __m128i letter =
        _mm_sub_epi8(_mm_or_si128(text, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_subs_epu8(letter, _mm_set1_epi8(5)), zero);
    return _mm_or_si128(_mm_and_si128(isDecimal, decimal),
                        _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// Eight bytes from 16 digit values: the even ones high, the odd ones low, in 16-bit lanes.
__m128i PairBytes(__m128i digits) {
    const __m128i high = _mm_and_si128(digits, _mm_set1_epi16(0x00FF));
    return _mm_or_si128(_mm_slli_epi16(high, 4), _mm_srli_epi16(digits, 8));
}

std::uint32_t LaneSum(__m128i sums) {
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums) +
                                      _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}

// Sixteen bytes at a time from 32 characters; the sums of their values and of their digits
// gather in 64-bit lanes until the end.
class BlockDecoder {
public:
    void Decode(const std::uint8_t* text, std::uint8_t* out) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i first = DigitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)));
        const __m128i second =
            DigitValues(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + kBlockBytes)));
        const __m128i bytes = _mm_packus_epi16(PairBytes(first), PairBytes(second));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
        values = _mm_add_epi64(values, _mm_sad_epu8(bytes, zero));
        digits = _mm_add_epi64(
            digits, _mm_add_epi64(_mm_sad_epu8(first, zero), _mm_sad_epu8(second, zero)));
    }
    [[nodiscard]] HexPairSums Sums() const { return {LaneSum(values), LaneSum(digits)}; }

private:
    __m128i values = _mm_setzero_si128();
    __m128i digits = _mm_setzero_si128();
};
#else
class BlockDecoder {
public:
    void Decode(const std::uint8_t* text, std::uint8_t* out) {
        for (std::size_t i = 0; i < kBlockBytes; ++i) {
            const std::uint32_t high = HexByteValue(text[2 * i]);
            const std::uint32_t low = HexByteValue(text[2 * i + 1]);
            out[i] = static_cast<std::uint8_t>(high * 16U + low);
            sums.values += high * 16U + low;
            sums.digits += high + low;
        }
    }
    [[nodiscard]] HexPairSums Sums() const { return sums; }

private:
    HexPairSums sums;
};
#endif

// Fewer than 16 bytes, padded with NULs, which decode to bytes of 0 and add nothing to the
// sums. Apart, so that the loop over whole blocks keeps no buffer on the stack.
[[gnu::noinline]] void DecodeRest(BlockDecoder& decoder, const std::uint8_t* text,
                                  std::size_t count, std::uint8_t* out) {
    std::uint8_t padded[2 * kBlockBytes] = {};
    std::uint8_t bytes[kBlockBytes];
    std::memcpy(padded, text, 2 * count);
    decoder.Decode(padded, bytes);
    std::memcpy(out, bytes, count);
}

} // namespace

HexPairSums DecodeHexPairs(const std::uint8_t* text, std::size_t count, std::uint8_t* out) {
    BlockDecoder decoder;
    std::size_t done = 0;
    for (; done + kBlockBytes <= count; done += kBlockBytes) {
        decoder.Decode(text + 2 * done, out + done);
    }
    if (done < count) {
        DecodeRest(decoder, text + 2 * done, count - done, out + done);
    }
    return decoder.Sums();
}

} // namespace t8
