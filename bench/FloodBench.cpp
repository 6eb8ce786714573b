// How fast the real window takes a flood from a device. t8hostlink runs on one end of a pty
// (offscreen unless QT_QPA_PLATFORM or DISPLAY says otherwise) while this program writes device
// text into the other end as fast as it is taken; the window's link debug lines ("N bytes
// received", after each batch has been through the screen) tell when the last byte is in. cat
// draining the same pty in the same run, in turns with it, is the yardstick. On an X display
// (DISPLAY set, with xdotool) it also times the window's first menu opening, idle and while
// flooded. It reports; it never fails a build.
// usage: t8flood_bench T8HOSTLINK [MEGABYTES [RUNS]]   (default 32 MB, 3 runs each)
#include "bench/DeviceText.h"
#include "bench/FloodChild.h"
#include "bench/FloodPty.h"
#include "bench/FloodRun.h"
#ifndef T8_NO_MENU_PROBE
#include "bench/MenuProbe.h"
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using t8::bench::FloodChild;
using t8::bench::FloodPty;

constexpr std::size_t kDefaultMegabytes = 32;
constexpr std::size_t kDefaultRuns = 3;

// The caller's environment, with the window's settings kept in a scratch folder and its link
// debug lines on.
std::vector<std::string> WindowEnvironment(const std::string& configFolder) {
    std::vector<std::string> env;
    bool platformChosen = false;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.starts_with("XDG_CONFIG_HOME=") || text.starts_with("QT_LOGGING_RULES=")) {
            continue;
        }
        platformChosen =
            platformChosen || text.starts_with("QT_QPA_PLATFORM=") || text.starts_with("DISPLAY=");
        env.push_back(text);
    }
    env.push_back("XDG_CONFIG_HOME=" + configFolder);
    env.push_back("QT_LOGGING_RULES=t8.link.debug=true");
    if (!platformChosen) {
        env.push_back("QT_QPA_PLATFORM=offscreen");
    }
    return env;
}

#ifndef T8_NO_MENU_PROBE
void ReportMenuTimes(const char* when, const std::vector<double>& times) {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) {
        std::printf("  menu %-13s did not open\n", when);
        return;
    }
    std::printf("  menu %-13s median %6.1f ms   slowest %6.1f ms   (%zu times)\n", when,
                sorted[sorted.size() / 2], sorted.back(), sorted.size());
}

// The first menu opened a few times on the idle window, then again and again while floods run
// back to back.
void ProbeMenus(const FloodPty& pty, FloodChild& program, const std::string& text) {
    constexpr std::size_t kOpenings = 5;
    t8::bench::MenuProbe probe(program.pid);
    if (!probe.Prepare()) {
        std::printf("  menu: not timed, %s\n", probe.Problem().c_str());
        return;
    }
    for (std::size_t i = 0; i < kOpenings; ++i) {
        probe.OpenOnce();
        std::this_thread::sleep_for(200ms);
    }
    ReportMenuTimes("idle", probe.Milliseconds());
    t8::bench::MenuProbe flooded(program.pid);
    flooded.Prepare();
    std::atomic<bool> probing{true};
    std::thread prober([&] {
        std::this_thread::sleep_for(300ms); // the flood is under way
        for (std::size_t i = 0; i < kOpenings; ++i) {
            flooded.OpenOnce();
            std::this_thread::sleep_for(200ms);
        }
        probing = false;
    });
    t8::bench::Tally tally = t8::bench::CountReceivedLines();
    std::size_t floods = 0;
    while (probing && t8::bench::Flood(pty, program, tally, text).taken == text.size()) {
        ++floods;
    }
    prober.join();
    ReportMenuTimes("while flooded", flooded.Milliseconds());
    std::printf("  (%zu floods ran meanwhile)\n", floods);
}
#else
void ProbeMenus(const FloodPty&, FloodChild&, const std::string&) {
    std::printf("  menu: not timed, built without libXtst\n");
}
#endif

std::string WindowPlatform(const std::vector<std::string>& env) {
    for (const std::string& entry : env) {
        if (entry.starts_with("QT_QPA_PLATFORM=")) {
            return entry.substr(entry.find('=') + 1);
        }
    }
    for (const std::string& entry : env) {
        if (entry.starts_with("DISPLAY=")) {
            return "X display " + entry.substr(entry.find('=') + 1);
        }
    }
    return "default";
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc < 2) {
        std::fprintf(stderr, "usage: t8flood_bench T8HOSTLINK [MEGABYTES]\n");
        return 2;
    }
    const std::string window = argv[1];
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : kDefaultMegabytes;
    const std::size_t runs =
        std::max<std::size_t>(1, argc > 3 ? std::strtoul(argv[3], nullptr, 10) : kDefaultRuns);
    const std::string text = t8::bench::DeviceText(megabytes << 20);
    FloodPty pty;
    if (!pty.Ok()) {
        std::fprintf(stderr, "cannot create a pty: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("flood of %zu bytes of device text on %s, %zu runs each\n", text.size(),
                pty.path.c_str(), runs);

    char folder[] = "/tmp/t8flood.XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::fprintf(stderr, "cannot make a scratch folder: %s\n", std::strerror(errno));
        return 1;
    }
    const std::vector<std::string> env = WindowEnvironment(folder);
    // cat and the window take their floods in turns, each started afresh on the pty (two
    // readers on one pty would share its text), so that both meet the machine as it is then.
    std::vector<t8::bench::FloodResult> catRuns;
    std::vector<t8::bench::FloodResult> windowRuns;
    std::unique_ptr<FloodChild> program;
    for (std::size_t run = 0; run < runs; ++run) {
        program.reset();
        pty.SetRaw();
        std::unique_ptr<FloodChild> cat;
        if (!pty.WaitForOpen([&] {
                cat = std::make_unique<FloodChild>(std::vector<std::string>{"cat", pty.path},
                                                   std::vector<std::string>{"PATH=/usr/bin:/bin"},
                                                   false);
            })) {
            std::fprintf(stderr, "cat did not open the pty\n");
            return 1;
        }
        t8::bench::Tally catTally = t8::bench::CountBytes();
        catRuns.push_back(t8::bench::Flood(pty, *cat, catTally, text));
        cat.reset();
        if (!pty.WaitForOpen([&] {
                program = std::make_unique<FloodChild>(
                    std::vector<std::string>{window, "--no-splash", "--port", pty.path}, env, true);
            })) {
            std::fprintf(stderr, "%s did not open the pty\n", window.c_str());
            return 1;
        }
        std::this_thread::sleep_for(FloodPty::kWindowSettle);
        t8::bench::Tally windowTally = t8::bench::CountReceivedLines();
        windowRuns.push_back(t8::bench::Flood(pty, *program, windowTally, text));
    }
    const double catSeconds = t8::bench::Report("cat", catRuns, text.size());
    const double windowSeconds = t8::bench::Report("t8hostlink", windowRuns, text.size());
    const bool taken = windowSeconds > 0;
    if (taken && catSeconds > 0) {
        std::printf("  t8hostlink at %.0f %% of cat's rate (medians)\n",
                    100.0 * catSeconds / windowSeconds);
    }
    std::printf("  (the window on %s; cat reads the pty in raw mode)\n",
                WindowPlatform(env).c_str());
    if (taken && WindowPlatform(env).starts_with("X display")) {
        ProbeMenus(pty, *program, text);
    }
    program.reset();
    std::filesystem::remove_all(folder);
    return taken ? 0 : 1;
}
