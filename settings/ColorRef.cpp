#include "settings/ColorRef.h"

namespace t8 {

namespace {

int Channel(std::uint32_t colorRef, int shift) {
    return static_cast<int>((colorRef >> shift) & 0xFFu);
}

} // namespace

QColor ColorFromColorRef(std::uint32_t colorRef) {
    return QColor(Channel(colorRef, 0), Channel(colorRef, 8), Channel(colorRef, 16));
}

std::uint32_t ColorRefFromColor(const QColor& color) {
    if (!color.isValid()) {
        return 0;
    }
    const QColor rgb = color.toRgb();
    return static_cast<std::uint32_t>(rgb.red()) | static_cast<std::uint32_t>(rgb.green()) << 8 |
           static_cast<std::uint32_t>(rgb.blue()) << 16;
}

} // namespace t8
