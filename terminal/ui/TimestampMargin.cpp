#include "terminal/ui/TimestampMargin.h"

#include "settings/ColorRef.h"

#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTime>

#include <algorithm>

namespace t8 {

namespace {

constexpr int kPadding = 4; // pixels before the time, between it and the rule, after the rule
constexpr char kWidestTime[] = "00:00:00.000";

} // namespace

TimestampMargin::TimestampMargin(QAbstractScrollArea& view_, const QFont& font_)
    : QWidget(&view_), view(view_), font(font_) {
    setObjectName("TimestampMargin");
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void TimestampMargin::Attach(const TTYInfo& tty_) {
    tty = &tty_;
    stamps.reset();
}

void TimestampMargin::SetShown(bool on) {
    if (on && !stamps && tty != nullptr) {
        stamps.emplace(*tty); // lines shown before have no time
    } else if (!on) {
        stamps.reset();
    }
    setVisible(Shown());
    Place();
    update();
}

int TimestampMargin::Width() const {
    if (!Shown()) {
        return 0;
    }
    return QFontMetrics(font).horizontalAdvance(QString(kWidestTime)) + 3 * kPadding;
}

void TimestampMargin::Feed(const std::uint8_t* bytes, std::size_t count,
                           const LineStamps::Show& show) {
    if (!stamps) {
        show(bytes, count, 0);
        return;
    }
    stamps->Feed(bytes, count, Now(), show);
    update();
}

void TimestampMargin::Clear() {
    if (stamps) {
        stamps->Clear();
        update();
    }
}

void TimestampMargin::Place() {
    const QRect port = view.viewport()->geometry();
    setGeometry(port.left() - Width(), port.top(), Width(), port.height());
}

QString TimestampMargin::TimeText(std::int32_t row) {
    const auto time = stamps ? stamps->At(row) : std::nullopt;
    return time ? QString::fromStdString(FormatStamp(*time)) : QString();
}

StampTime TimestampMargin::Now() {
    return QTime::currentTime().msecsSinceStartOfDay();
}

// The terminal's own colours, the time in the row's height from the row's top, so that it
// lines up with the row however the view is scrolled.
void TimestampMargin::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QColor back = tty ? ColorFromColorRef(tty->look.backColour) : palette().base().color();
    const QColor text = tty ? ColorFromColorRef(tty->look.textColour) : palette().text().color();
    painter.fillRect(event->rect(), back);
    painter.setPen(text);
    painter.drawLine(width() - kPadding, 0, width() - kPadding, height());
    if (!stamps || tty == nullptr || tty->screen.charHeight <= 0) {
        return;
    }
    painter.setFont(font);
    const std::int32_t cell = tty->screen.charHeight;
    const std::int32_t top = tty->screen.scrollY / cell;
    const std::int32_t last = (tty->screen.scrollY + std::max(0, height() - 1)) / cell;
    for (std::int32_t row = top; row <= last; ++row) {
        const QString time = TimeText(row);
        if (!time.isEmpty()) {
            const int y = row * cell - tty->screen.scrollY;
            painter.drawText(QRect(kPadding, y, width() - 3 * kPadding, cell),
                             Qt::AlignLeft | Qt::AlignVCenter, time);
        }
    }
}

} // namespace t8
