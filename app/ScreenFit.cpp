#include "app/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace t8 {

namespace {

// the window manager's border around a window not shown yet, beside the title bar
constexpr int kBorderEstimate = 4;

int MovedInto(int start, int length, int areaStart, int areaLength) {
    return std::clamp(start, areaStart, areaStart + std::max(0, areaLength - length));
}

} // namespace

QRect FitIntoArea(const QRect& client, const QMargins& frame, const QRect& area) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize size(std::clamp(client.width(), 1, std::max(1, area.width() - frameWidth)),
                     std::clamp(client.height(), 1, std::max(1, area.height() - frameHeight)));
    const QRect outer(client.topLeft() - QPoint(frame.left(), frame.top()), size.grownBy(frame));
    const QPoint topLeft(MovedInto(outer.x(), outer.width(), area.x(), area.width()),
                         MovedInto(outer.y(), outer.height(), area.y(), area.height()));
    return {topLeft + QPoint(frame.left(), frame.top()), size};
}

void PlaceOnScreen(QWidget& window, QSize wanted) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QMargins frame(kBorderEstimate, title + kBorderEstimate, kBorderEstimate,
                         kBorderEstimate);
    QRect client(QPoint(), wanted);
    client.moveCenter(area.center());
    window.setGeometry(FitIntoArea(client, frame, area));
}

} // namespace t8
