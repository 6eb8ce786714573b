#include "settings/FontMapping.h"
#include "settings/ColorRef.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <limits>

namespace t8 {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::string InstalledFixedFamily(const QString& besides = {}) {
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family) && !QFontDatabase::isPrivateFamily(family) &&
            family != besides) {
            return family.toStdString();
        }
    }
    return {};
}

bool DrawsEveryLetterEquallyWide(const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QLatin1Char('i'));
    return width > 0 && metrics.horizontalAdvance(QLatin1Char('W')) == width &&
           metrics.horizontalAdvance(QLatin1Char('.')) == width;
}

TEST(FontMappingTest, OemFacesResolveToAFixedPitchSystemFont) {
    for (const char* face : {"FixedSys", "fixedsys", "Terminal", "", "No Such Face Anywhere"}) {
        LogFont record; // OEM character set
        record.faceName = face;
        record.pitchAndFamily = 0; // even without asking for fixed pitch
        EXPECT_TRUE(DrawsEveryLetterEquallyWide(FontFromLogFont(record))) << face;
    }
    const std::string installed = InstalledFixedFamily();
    ASSERT_FALSE(installed.empty());
    LogFont chosen;
    chosen.faceName = installed;
    EXPECT_EQ(QFontInfo(FontFromLogFont(chosen)).family().toStdString(), installed);
}

// Whatever its character set, a face that is not installed is shown in an installed fixed
// face (one a font dialog lists) of the stored size, regular and upright, and the record
// made back from that font keeps the stored name.
TEST(FontMappingTest, AMissingFaceBecomesAnInstalledFixedFaceOfTheStoredSize) {
    for (const char* face : {"FixedSys", "No Such Face Anywhere"}) {
        for (const std::uint8_t charSet : {kCharSetOem, kCharSetDefault, std::uint8_t{0}}) {
            for (const std::int32_t height : {0, -11, -27}) {
                LogFont record;
                record.faceName = face;
                record.charSet = charSet;
                record.height = height;
                record.width = 0;
                const QFont font = FontFromLogFont(record);
                const QFontInfo info(font);
                const std::string what = std::string(face) + ", set " + std::to_string(charSet) +
                                         ", height " + std::to_string(height);
                EXPECT_TRUE(QFontDatabase::hasFamily(font.family())) << what;
                EXPECT_TRUE(info.fixedPitch()) << what;
                EXPECT_TRUE(DrawsEveryLetterEquallyWide(font)) << what;
                EXPECT_FALSE(info.italic()) << what;
                EXPECT_EQ(info.weight(), QFont::Normal) << what;
                EXPECT_EQ(info.pixelSize(), height == 0 ? kDefaultFontPixels : -height) << what;
                EXPECT_EQ(LogFontFromFont(font, record).faceName, face) << what;
            }
        }
    }
}

TEST(FontMappingTest, RecordSurvivesTheTripThroughAFont) {
    const std::string face = InstalledFixedFamily();
    const LogFont cases[] = {
        LogFont{},
        {-20, 0, 900, 900, 700, 1, 1, 1, 0, 3, 2, 4, 0x22, face},
        {18, 12, 0, 0, 0, 5, 0, 2, kCharSetOem, 0, 0, 0, 0x31, "FixedSys"},
        {kMin, kMax, -1, 7, 5000, 0, 1, 0, 186, 9, 9, 9, 0xFF, "Not Installed"},
        {kMax, kMin, 0, 0, -3, 0, 0, 0, 0, 0, 0, 0, 0x4E, face},
    };
    for (const LogFont& record : cases) {
        EXPECT_EQ(LogFontFromFont(FontFromLogFont(record), record), record) << record.faceName;
    }
    const QFont huge = FontFromLogFont(cases[3]);
    EXPECT_EQ(huge.pixelSize(), kMaxFontPixels);
    EXPECT_LE(huge.stretch(), kMaxFontStretch);
    EXPECT_EQ(huge.weight(), kMaxFontWeight);
}

TEST(FontMappingTest, FontFollowsTheRecord) {
    LogFont record{-20, 0, 0, 0, 700, 1, 1, 0, 0, 0, 0, 0, 0x12, InstalledFixedFamily()};
    const QFont font = FontFromLogFont(record);
    EXPECT_TRUE(font.pixelSize() == 20 && font.weight() == QFont::Bold && font.italic() &&
                font.underline() && !font.strikeOut() && font.styleHint() == QFont::Serif &&
                !font.fixedPitch());

    record.height = 20; // the cell height, leading included
    const QFont cell = FontFromLogFont(record);
    EXPECT_LE(QFontMetrics(cell).height(), 20);
    QFont larger = cell;
    larger.setPixelSize(cell.pixelSize() + 1);
    EXPECT_GT(QFontMetrics(larger).height(), 20);

    record.height = -15, record.width = 18;
    EXPECT_NEAR(QFontMetricsF(FontFromLogFont(record)).horizontalAdvance(QLatin1Char('x')), 18,
                1.0);
}

TEST(FontMappingTest, ChosenFontReplacesWhatItHoldsAndKeepsTheRest) {
    LogFont original; // FixedSys, OEM
    original.escapement = 450, original.quality = 3, original.clipPrecision = 2;
    // another face than the one FixedSys is shown in
    const std::string face = InstalledFixedFamily(FontFromLogFont(original).family());
    ASSERT_FALSE(face.empty());
    QFont picked(QString::fromStdString(face));
    picked.setPixelSize(22);
    picked.setBold(true);
    picked.setItalic(true);
    const LogFont expected{-22, 0, 450, 0, 700, 1, 0, 0, kCharSetOem, 0, 2, 3, kPitchFixed, face};
    EXPECT_EQ(LogFontFromFont(picked, original), expected);

    original.height = 16; // a cell height stays a cell height
    EXPECT_EQ(LogFontFromFont(picked, original).height, QFontMetrics(picked).height());
    EXPECT_EQ(LogFontFromFont(picked).charSet, kCharSetDefault);
}

TEST(ColorRefTest, ChannelsSitInTheirBytes) {
    const QColor colour = ColorFromColorRef(0x7F336699);
    EXPECT_EQ(colour, QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(ColorRefFromColor(colour), 0x00336699u);
    EXPECT_EQ(ColorRefFromColor(QColor(1, 2, 3, 4)), 0x00030201u);
    EXPECT_EQ(ColorRefFromColor(QColor()), 0u);
}

} // namespace
} // namespace t8
