#include "app/CSplashWindow.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>

namespace t8 {

namespace {

QPixmap Render(const QString& resource) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid()) {
        return {};
    }
    QPixmap pixmap(renderer.defaultSize());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

bool IsMousePress(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

} // namespace

QPixmap SplashPicture() {
    return Render(":/pictures/splash.svg");
}
QPixmap AboutPicture() {
    return Render(":/pictures/about.svg");
}

CSplashWindow::Placement CSplashWindow::PlacementFor(const QString& platformName) {
    return platformName.startsWith("wayland") ? Placement::Overlay : Placement::Window;
}

CSplashWindow::CSplashWindow(const QPixmap& picture_, QWidget* parent, Placement placement_)
    : QWidget(parent, placement_ == Placement::Overlay
                          ? Qt::WindowFlags()
                          : Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture(picture_), placement(placement_) {
    setObjectName("CSplashWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(picture.size());
    Centre();
}

void CSplashWindow::Centre() {
    if (placement == Placement::Overlay && parentWidget()) {
        move(parentWidget()->rect().center() - rect().center());
        raise();
        return;
    }
    const QScreen* screen =
        parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->geometry().center() - rect().center());
    }
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}

CSplashWindow::Controller::Controller(QObject* parent, Placement placement_)
    : QObject(parent), placement(placement_) {
    qApp->installEventFilter(this);
}

void CSplashWindow::Controller::ShowSplashScreen(QWidget* parent) {
    if (!enabled || splash) {
        return;
    }
    const QPixmap shown = SplashPicture();
    if (shown.isNull()) {
        return; // no picture, no splash, no message
    }
    mainWindow = parent;
    splash = new CSplashWindow(shown, parent, placement);
    splash->show();
    splash->repaint();
    QTimer::singleShot(kShowMs, splash, [this] { HideSplashScreen(); });
}

void CSplashWindow::Controller::HideSplashScreen() {
    if (!splash) {
        return;
    }
    splash->close();
    splash = nullptr;
    if (mainWindow) {
        mainWindow->update();
    }
}

// A key that ends the splash is the splash's: so is every key pressed with it (Shift, then
// J, for a capital J), until all of them are released.
bool CSplashWindow::Controller::SwallowKey(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress &&
        type != QEvent::KeyRelease) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (splash && type != QEvent::KeyRelease) {
        HideSplashScreen();
        heldKeys.clear();
        swallowing.start();
    }
    if (!swallowing.isValid()) {
        return false;
    }
    if (swallowing.hasExpired(kShowMs)) { // a release that never came
        swallowing.invalidate();
        return false;
    }
    if (type == QEvent::KeyPress) {
        heldKeys.insert(key->key());
    } else if (type == QEvent::KeyRelease && !key->isAutoRepeat()) {
        heldKeys.erase(key->key());
        if (heldKeys.empty()) {
            swallowing.invalidate();
        }
    }
    // accepting the shortcut probe keeps accelerators from firing
    event->accept();
    return true;
}

bool CSplashWindow::Controller::PreTranslateAppMessage(QEvent* event) {
    const QEvent::Type type = event->type();
    if (SwallowKey(event)) {
        return true;
    }
    if (IsMousePress(type) && splash) {
        HideSplashScreen();
        return true;
    }
    return false;
}

bool CSplashWindow::Controller::eventFilter(QObject* watched, QEvent* event) {
    if (watched->isWidgetType() && PreTranslateAppMessage(event)) {
        return true;
    }
    // the frame's own children, the view among them, may have come after the overlay
    if (splash && watched == mainWindow &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        splash->Centre();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace t8
