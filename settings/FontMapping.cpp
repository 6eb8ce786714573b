#include "settings/FontMapping.h"

#include "settings/StoredValue.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRawFont>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace t8 {

namespace {

constexpr std::array kOemRasterFaces = {"FixedSys", "Terminal"};
constexpr char kFallbackFixedFamily[] = "monospace"; // the fontconfig alias
constexpr int kUnstretched = 100;
constexpr qreal kPointsPerInch = 72.0;
constexpr qreal kFallbackDpi = 96.0;
// the first estimate of an em size for a cell height is off by a pixel or two at most
constexpr int kMaxCellFitSteps = 8;

struct FamilyHint {
    std::uint8_t family;
    QFont::StyleHint hint;
};
// a record's family picks the first hint listed for it; every hint listed maps back
constexpr std::array<FamilyHint, 7> kFamilyHints = {{
    {kFamilyRoman, QFont::Serif},
    {kFamilySwiss, QFont::SansSerif},
    {kFamilyModern, QFont::Monospace},
    {kFamilyModern, QFont::TypeWriter},
    {kFamilyScript, QFont::Cursive},
    {kFamilyDecorative, QFont::Decorative},
    {kFamilyDecorative, QFont::Fantasy},
}};

// the font database and the metrics crash without a GUI application
bool HaveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

int ClampedPixels(std::int32_t value) {
    const std::int64_t magnitude = std::abs(static_cast<std::int64_t>(value));
    return static_cast<int>(std::clamp<std::int64_t>(magnitude, 1, kMaxFontPixels));
}

bool IsOemRasterFace(const QString& face) {
    return face.isEmpty() ||
           std::any_of(kOemRasterFaces.begin(), kOemRasterFaces.end(), [&](const char* name) {
               return face.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
           });
}

// The installed face the system's fixed-pitch font resolves to, so that a font dialog finds
// it in its list; the first installed fixed-pitch face if the system names a proportional one.
QString FixedFamily() {
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // the face drawn, not an alias such as "monospace" that a font dialog does not list
    const QString face = QRawFont::fromFont(system).familyName();
    if (QFontInfo(system).fixedPitch() && QFontDatabase::hasFamily(face)) {
        return face;
    }
    const QStringList families = QFontDatabase::families();
    const auto fixed = std::find_if(families.begin(), families.end(), [](const QString& family) {
        return QFontDatabase::isFixedPitch(family) && !QFontDatabase::isPrivateFamily(family);
    });
    return fixed != families.end() ? *fixed : system.family();
}

QString FamilyFor(const LogFont& logFont) {
    const QString face = QString::fromStdString(logFont.faceName);
    const bool oemRaster = IsOemRasterFace(face);
    if (!HaveGui()) {
        return oemRaster ? QString::fromLatin1(kFallbackFixedFamily) : face;
    }
    // A terminal needs equal cells: a face that is not installed gets the fixed font, never
    // the proportional substitute the font matching would pick.
    if (oemRaster || !QFontDatabase::hasFamily(face)) {
        return FixedFamily();
    }
    return face;
}

int CellHeightAt(QFont font, int em) {
    font.setPixelSize(em);
    return QFontMetrics(font).height();
}

// the largest em size whose cell fits the height, from an estimate refined a step at a time
int EmForCellHeight(const QFont& font, int cell) {
    const int measured = CellHeightAt(font, cell);
    int em = measured > cell ? std::max(1, cell * cell / measured) : cell;
    for (int step = 0; step < kMaxCellFitSteps && em < cell; ++step) {
        if (CellHeightAt(font, em + 1) > cell) {
            break;
        }
        ++em;
    }
    for (int step = 0; step < kMaxCellFitSteps && em > 1; ++step) {
        if (CellHeightAt(font, em) <= cell) {
            break;
        }
        --em;
    }
    return em;
}

int EmPixels(const QFont& font, std::int32_t height) {
    if (height == 0) {
        return kDefaultFontPixels;
    }
    const int pixels = ClampedPixels(height);
    return height > 0 && HaveGui() ? EmForCellHeight(font, pixels) : pixels;
}

// the width of "x", which is what the platform means by a font's average character width
qreal NaturalWidth(QFont font) {
    font.setStretch(QFont::AnyStretch);
    return QFontMetricsF(font).horizontalAdvance(QLatin1Char('x'));
}

int StretchFor(const QFont& font, std::int32_t width) {
    if (width == 0 || !HaveGui()) {
        return QFont::AnyStretch;
    }
    const qreal natural = NaturalWidth(font);
    if (natural <= 0) {
        return QFont::AnyStretch;
    }
    const long stretch = std::lround(kUnstretched * ClampedPixels(width) / natural);
    return static_cast<int>(std::clamp<long>(stretch, 1, kMaxFontStretch));
}

QFont::Weight WeightFor(std::int32_t weight) {
    if (weight <= 0) {
        return QFont::Normal; // "don't care"
    }
    return static_cast<QFont::Weight>(std::min(weight, kMaxFontWeight));
}

void ApplyPitchAndFamily(QFont& font, std::uint8_t pitchAndFamily) {
    const int family = pitchAndFamily & kFamilyMask;
    const auto* match = std::find_if(kFamilyHints.begin(), kFamilyHints.end(),
                                     [&](const FamilyHint& h) { return h.family == family; });
    font.setStyleHint(match != kFamilyHints.end() ? match->hint : QFont::AnyStyle);
    font.setFixedPitch((pitchAndFamily & kPitchMask) == kPitchFixed);
}

int PixelSizeOf(const QFont& font) {
    if (font.pixelSize() > 0) {
        return font.pixelSize();
    }
    const QScreen* screen = HaveGui() ? QGuiApplication::primaryScreen() : nullptr;
    const qreal dpi = screen != nullptr ? screen->logicalDotsPerInchY() : kFallbackDpi;
    return static_cast<int>(
        std::lround(std::max<qreal>(font.pointSizeF(), 0) * dpi / kPointsPerInch));
}

std::int32_t HeightFor(const QFont& font, bool cellHeight) {
    const int pixels = PixelSizeOf(font);
    if (pixels <= 0) {
        return 0;
    }
    return cellHeight && HaveGui() ? QFontMetrics(font).height() : -pixels;
}

std::int32_t WidthFor(const QFont& font) {
    if (font.stretch() == QFont::AnyStretch || !HaveGui()) {
        return 0;
    }
    return static_cast<std::int32_t>(
        std::lround(NaturalWidth(font) * font.stretch() / kUnstretched));
}

std::uint8_t PitchAndFamilyOf(const QFont& font) {
    const auto* match =
        std::find_if(kFamilyHints.begin(), kFamilyHints.end(),
                     [&](const FamilyHint& h) { return h.hint == font.styleHint(); });
    const std::uint8_t family = match != kFamilyHints.end() ? match->family : 0;
    // a font dialog hands back a plain request; the face it names may still be fixed-pitch
    const bool fixed = font.fixedPitch() || (HaveGui() && QFontInfo(font).fixedPitch());
    return static_cast<std::uint8_t>(family | (fixed ? kPitchFixed : 0));
}

LogFont Derive(const QFont& font, bool cellHeight) {
    LogFont logFont;
    logFont.height = HeightFor(font, cellHeight);
    logFont.width = WidthFor(font);
    logFont.weight = font.weight();
    logFont.italic = font.italic() ? 1 : 0;
    logFont.underline = font.underline() ? 1 : 0;
    logFont.strikeOut = font.strikeOut() ? 1 : 0;
    logFont.charSet = kCharSetDefault;
    logFont.pitchAndFamily = PitchAndFamilyOf(font);
    logFont.faceName = FitFaceName(font.family());
    return logFont;
}

template <class T> void KeepIf(bool unchanged, T& field, const T& original) {
    if (unchanged) {
        field = original;
    }
}

std::uint8_t MergedPitchAndFamily(const QFont& font, const QFont& mapped, std::uint8_t derived,
                                  std::uint8_t original) {
    const int pitch = (font.fixedPitch() == mapped.fixedPitch() ? original : derived) & kPitchMask;
    const int family = (font.styleHint() == mapped.styleHint() ? original : derived) & kFamilyMask;
    const int other = original & ~(kPitchMask | kFamilyMask);
    return static_cast<std::uint8_t>(pitch | family | other);
}

} // namespace

QFont FontFromLogFont(const LogFont& logFont) {
    QFont font(FamilyFor(logFont));
    ApplyPitchAndFamily(font, logFont.pitchAndFamily);
    font.setWeight(WeightFor(logFont.weight));
    font.setItalic(logFont.italic != 0);
    font.setUnderline(logFont.underline != 0);
    font.setStrikeOut(logFont.strikeOut != 0);
    font.setPixelSize(EmPixels(font, logFont.height));
    font.setStretch(StretchFor(font, logFont.width));
    return font;
}

QFont WithFaceStyleName(const QFont& font) {
    QFont named = font;
    if (!HaveGui()) {
        return named;
    }
    const QString family = font.family();
    for (const QString& style : QFontDatabase::styles(family)) {
        // QFontDatabase::italic() says false for an oblique style; the style's font knows
        const QFont face = QFontDatabase::font(family, style, font.pointSize());
        if (face.style() == font.style() && face.weight() == font.weight()) {
            named.setStyleName(style);
            break;
        }
    }
    return named;
}

LogFont LogFontFromFont(const QFont& font) {
    return Derive(font, false);
}

LogFont LogFontFromFont(const QFont& font, const LogFont& original) {
    LogFont result = Derive(font, original.height > 0);
    result.escapement = original.escapement;
    result.orientation = original.orientation;
    result.charSet = original.charSet;
    result.outPrecision = original.outPrecision;
    result.clipPrecision = original.clipPrecision;
    result.quality = original.quality;

    const QFont mapped = FontFromLogFont(original);
    const bool sameSize = PixelSizeOf(font) == PixelSizeOf(mapped);
    KeepIf(font.family() == mapped.family(), result.faceName, original.faceName);
    KeepIf(sameSize, result.height, original.height);
    KeepIf(sameSize && font.stretch() == mapped.stretch(), result.width, original.width);
    KeepIf(font.weight() == mapped.weight(), result.weight, original.weight);
    KeepIf(font.italic() == mapped.italic(), result.italic, original.italic);
    KeepIf(font.underline() == mapped.underline(), result.underline, original.underline);
    KeepIf(font.strikeOut() == mapped.strikeOut(), result.strikeOut, original.strikeOut);
    result.pitchAndFamily =
        MergedPitchAndFamily(font, mapped, result.pitchAndFamily, original.pitchAndFamily);
    return result;
}

} // namespace t8
