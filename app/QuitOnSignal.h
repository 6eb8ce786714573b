#pragma once

#include <QObject>

class QSocketNotifier;

namespace t8 {

// SIGINT, SIGTERM and SIGHUP end the program through its event loop, so the view still saves
// the settings and closes the port as at a normal exit. The program must be inside
// QApplication::exec (start-up included) for a signal to end it at any moment.
class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    // Call first thing in main, before any thread exists: threads inherit the blocked set.
    static bool BlockQuitSignals();
    // Needs the application object; takes the blocked signals from a signalfd.
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

private:
    int signalFd = -1;
    QSocketNotifier* notifier = nullptr;
};

} // namespace t8
