#pragma once

#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>

namespace t8 {

class ConnectAhead;
class SerialLink;

// The window's part in taking an unplugged device back: the event loop waits on the link's
// device watch, which costs no processor time while nothing is awaited, and runs the link's
// retry timer while the link asks for it. `after` runs after each, so what the link showed is
// painted. A network address is connected by `connecting` before each try, off the window's
// thread; the try follows in `window`'s thread when the connection is ready.
class ReconnectDriver {
public:
    ReconnectDriver(SerialLink& link, ConnectAhead& connecting, QObject& window,
                    std::function<void()> after);
    ReconnectDriver(const ReconnectDriver&) = delete;
    ReconnectDriver& operator=(const ReconnectDriver&) = delete;
    ~ReconnectDriver();

    // Runs the retry timer (every Reconnector::kRetryMs) while `on`.
    void SetRetryTimer(bool on);

private:
    void Retry();

    SerialLink& link;
    ConnectAhead& connecting;
    QObject& window;
    std::function<void()> after;
    QTimer retry;
    std::unique_ptr<QSocketNotifier> watch;
};

} // namespace t8
