#pragma once

#include <QPixmap>
#include <QWidget>

class QTimer;

namespace t8 {

// The start-up picture: frameless, centred, gone after kShowMs or at the first key or
// mouse-button press anywhere in the program, which it swallows.
class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 2000;

    // At most one splash exists; the controller owns the enable flag and the instance.
    class Controller : public QObject {
    public:
        explicit Controller(QObject* parent = nullptr);
        void EnableSplashScreen(bool enable) { enabled = enable; }
        void ShowSplashScreen(QWidget* parent);
        void HideSplashScreen();
        [[nodiscard]] bool Showing() const { return splash != nullptr; }
        // True (and the splash gone) for a key or mouse-button press while it shows.
        bool PreTranslateAppMessage(QEvent* event);

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override;

    private:
        bool enabled = false;
        CSplashWindow* splash = nullptr;
        bool swallowKey = false;
        QWidget* mainWindow = nullptr;
    };

    explicit CSplashWindow(const QPixmap& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture;
};

// Our pictures, drawn from the program's resources at the size they were designed for.
[[nodiscard]] QPixmap SplashPicture();
[[nodiscard]] QPixmap AboutPicture();

} // namespace t8
