#include "app/QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace t8 {

namespace {

sigset_t QuitSignals() {
    sigset_t quit;
    sigemptyset(&quit);
    sigaddset(&quit, SIGINT);
    sigaddset(&quit, SIGTERM);
    sigaddset(&quit, SIGHUP);
    return quit;
}

} // namespace

bool QuitOnSignal::BlockQuitSignals() {
    const sigset_t quit = QuitSignals();
    return pthread_sigmask(SIG_BLOCK, &quit, nullptr) == 0;
}

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent) {
    const sigset_t quit = QuitSignals();
    signalFd = signalfd(-1, &quit, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0) {
        pthread_sigmask(SIG_UNBLOCK, &quit, nullptr); // the default action is better than none
        return;
    }
    notifier = new QSocketNotifier(signalFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info{};
        while (::read(signalFd, &info, sizeof info) == sizeof info) {
        }
        // Unlike quit(), which an open dialog may refuse, this ends every running event loop,
        // modal ones included, and any opened later returns at once; the view then saves the
        // settings and closes the port on its way out.
        QCoreApplication::exit(0);
    });
}

QuitOnSignal::~QuitOnSignal() {
    if (signalFd >= 0) {
        ::close(signalFd);
    }
}

} // namespace t8
