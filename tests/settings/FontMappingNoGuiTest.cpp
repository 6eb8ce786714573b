#include "settings/FontMapping.h"

#include <gtest/gtest.h>

namespace t8 {
namespace {

// Without a GUI application the font database is out of reach; mapping must still work.
TEST(FontMappingNoGuiTest, MapsFromTheRecordAlone) {
    const QFont font = FontFromLogFont(LogFont{});
    EXPECT_EQ(font.family(), "monospace");
    EXPECT_EQ(font.pixelSize(), kDefaultFontPixels);
    EXPECT_TRUE(font.fixedPitch());

    const LogFont record{-18, 9, 0, 0, 400, 1, 0, 0, kCharSetOem, 0, 0, 0, 0x31, "Terminal"};
    EXPECT_EQ(LogFontFromFont(FontFromLogFont(record), record), record);
}

} // namespace
} // namespace t8
