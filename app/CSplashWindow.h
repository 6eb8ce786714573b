#pragma once

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>

#include <set>

class QTimer;

namespace t8 {

// The start-up picture: frameless, centred, gone after kShowMs or at the first key or
// mouse-button press anywhere in the program, which it swallows with the keys held with it.
class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 2000;

    // A window of its own, centred on the screen; or, where the platform does not let a
    // program place its windows (Wayland), a picture laid over the main window's middle.
    enum class Placement { Window, Overlay };
    [[nodiscard]] static Placement PlacementFor(const QString& platformName);

    // At most one splash exists; the controller owns the enable flag and the instance.
    class Controller : public QObject {
    public:
        explicit Controller(QObject* parent = nullptr,
                            Placement placement_ = PlacementFor(QGuiApplication::platformName()));
        void EnableSplashScreen(bool enable) { enabled = enable; }
        void ShowSplashScreen(QWidget* parent);
        void HideSplashScreen();
        [[nodiscard]] bool Showing() const { return splash != nullptr; }
        // True (and the splash gone) for a key or mouse-button press while it shows, and for
        // the keys pressed with that key until they are all released.
        bool PreTranslateAppMessage(QEvent* event);

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override;

    private:
        bool SwallowKey(QEvent* event);

        Placement placement;
        bool enabled = false;
        CSplashWindow* splash = nullptr;
        std::set<int> heldKeys;   // pressed since the splash went
        QElapsedTimer swallowing; // valid while they are swallowed
        QWidget* mainWindow = nullptr;
    };

    CSplashWindow(const QPixmap& picture, QWidget* parent, Placement placement);
    // An overlay follows the middle of its main window.
    void Centre();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture;
    Placement placement;
};

// Our pictures, drawn from the program's resources at the size they were designed for.
[[nodiscard]] QPixmap SplashPicture();
[[nodiscard]] QPixmap AboutPicture();

} // namespace t8
