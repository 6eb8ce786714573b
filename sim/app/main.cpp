// t8sim: the T8 device simulator on a pseudo-terminal.
#include "generated/ProjectVersion.h"
#include "sim/app/ImageFile.h"
#include "sim/app/SimOptions.h"
#include "sim/pty/SimServer.h"

#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace {

int Fail(const std::string& error) {
    std::fprintf(stderr, "t8sim: %s\n", error.c_str());
    return 1;
}

// The signals arrive as readable data on the returned descriptor, not as handlers.
int SignalDescriptor(std::initializer_list<int> numbers) {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int number : numbers) {
        sigaddset(&signals, number);
    }
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

void PrintLine(const std::string& path) {
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const t8::sim::OptionsResult parsed = t8::sim::ParseSimOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "t8sim: %s\nTry 't8sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    const t8::sim::SimOptions& options = parsed.options;
    if (options.help) {
        std::fputs(t8::sim::HelpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("t8sim %s\n", t8::kProjectVersion);
        return 0;
    }
    const int signals = SignalDescriptor({SIGINT, SIGTERM});
    const int toggles = SignalDescriptor({SIGUSR1});
    if (signals < 0 || toggles < 0) {
        return Fail("cannot catch signals");
    }
    t8::sim::ServerOptions serverOptions = options.server;
    serverOptions.lineBack = PrintLine; // a line that comes back has a new pty
    t8::sim::SimServer server(options.device, serverOptions);
    if (!options.loadPath.empty()) {
        if (const std::string error = LoadImage(options.loadPath, server.GetDevice().State().ram);
            !error.empty()) {
            return Fail(error);
        }
    }
    if (const std::string error = server.Open(); !error.empty()) {
        return Fail(error);
    }
    PrintLine(server.SlavePath()); // scripts read the slave path from the first line
    const std::string error = server.Run(signals, toggles);
    ::close(signals);
    ::close(toggles);
    if (!options.savePath.empty()) {
        if (const std::string saveError =
                SaveImage(options.savePath, server.GetDevice().State().ram);
            !saveError.empty()) {
            return Fail(saveError);
        }
    }
    return error.empty() ? 0 : Fail(error);
}
