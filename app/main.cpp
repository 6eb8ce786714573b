#include "app/CProgTermApp.h"
#include "app/QuitOnSignal.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const t8::CommandLine line = t8::ParseCommandLine(args);
    if (const int status = t8::CProgTermApp::HandleEarly(line); status >= 0) {
        return status;
    }
    t8::QuitOnSignal::BlockQuitSignals();
    // A reader of the log that went away (`2>&1 | head`) must not end the session: the settings
    // would go unsaved and the port unclosed. Writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(t8hostlink);
    t8::QuitOnSignal quitOnSignal;
    t8::CProgTermApp program;
    // Start-up runs inside the event loop, so that a signal also ends the dialogs it may show.
    QTimer::singleShot(0, &program, [&] {
        if (!program.InitInstance(line)) {
            QCoreApplication::exit(0);
        }
    });
    return QApplication::exec();
}
