#include "terminal/CodePage437.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdint>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace t8 {
namespace {

// The C library's converter is an independent reference for the bytes from 0x80.
TEST(CodePage437, UpperHalfMatchesTheLibraryConverter) {
    iconv_t converter = iconv_open("WCHAR_T", "IBM437");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        GTEST_SKIP() << "no IBM437 converter installed";
    }
    std::vector<std::uint8_t> bytes(128);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0x80});
    std::wstring wide(bytes.size(), L'\0');
    auto* in = reinterpret_cast<char*>(bytes.data());
    auto* out = reinterpret_cast<char*>(wide.data());
    std::size_t inLeft = bytes.size();
    std::size_t outLeft = wide.size() * sizeof(wchar_t);
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    ASSERT_EQ(inLeft, 0u) << result;
    EXPECT_EQ(CodePage437::Decode(bytes), std::u32string(wide.begin(), wide.end()));
}

TEST(CodePage437, ControlBytesShowPicturesAndEveryGlyphDiffers) {
    EXPECT_EQ(CodePage437::Decode(std::vector<std::uint8_t>{0x00, 0x01, 0x09, 0x1F, 'A', 0x7F}),
              U" \u263A\u25CB\u25BCA\u2302");
    std::set<char32_t> glyphs;
    for (int byte = 1; byte < 0x100; ++byte) {
        glyphs.insert(CodePage437::ToUnicode(static_cast<std::uint8_t>(byte)));
    }
    EXPECT_EQ(*glyphs.begin(), U' '); // nothing below the space: no control drawn as itself
    EXPECT_EQ(glyphs.size(), 255u);
}

} // namespace
} // namespace t8
