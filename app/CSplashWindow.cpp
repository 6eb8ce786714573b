#include "app/CSplashWindow.h"

#include <QApplication>
#include <QEvent>
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

CSplashWindow::CSplashWindow(const QPixmap& picture_, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture(picture_) {
    setObjectName("CSplashWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(picture.size());
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->geometry().center() - rect().center());
    }
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}

CSplashWindow::Controller::Controller(QObject* parent) : QObject(parent) {
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
    splash = new CSplashWindow(shown, parent);
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

bool CSplashWindow::Controller::PreTranslateAppMessage(QEvent* event) {
    const QEvent::Type type = event->type();
    // A key reaches us first as a shortcut probe: accepting it keeps accelerators from firing,
    // and the key press that follows is swallowed too.
    if (type == QEvent::ShortcutOverride && splash) {
        event->accept();
        HideSplashScreen();
        swallowKey = true;
        return true;
    }
    if (type == QEvent::KeyPress && (splash || swallowKey)) {
        HideSplashScreen();
        swallowKey = false;
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
    return QObject::eventFilter(watched, event);
}

} // namespace t8
