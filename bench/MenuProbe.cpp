#include "bench/MenuProbe.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace t8::bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kWindowPatience = 20s;
constexpr auto kMenuPatience = 5s;

// The lines a command prints.
std::vector<std::string> Lines(const std::string& command) {
    std::vector<std::string> lines;
    FILE* output = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (output == nullptr) {
        return lines;
    }
    char line[256];
    while (std::fgets(line, sizeof line, output) != nullptr) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        lines.push_back(text);
    }
    ::pclose(output);
    return lines;
}

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

std::vector<std::string> MenuProbe::ShownWindows() const {
    return Lines("xdotool search --onlyvisible --pid " + std::to_string(program));
}

bool MenuProbe::Prepare() {
    if (std::getenv("DISPLAY") == nullptr || !Run("xdotool version")) {
        problem = "needs an X display and xdotool";
        return false;
    }
    const auto deadline = Clock::now() + kWindowPatience;
    std::vector<std::string> shown;
    while ((shown = ShownWindows()).empty() && Clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
    }
    if (shown.empty()) {
        problem = "the window was not shown";
        return false;
    }
    mainWindow = shown.back();
    if (!Run("xdotool windowfocus --sync " + mainWindow)) {
        problem = "the window could not be focused";
        return false;
    }
    return true;
}

bool MenuProbe::OpenOnce() {
    const std::size_t before = ShownWindows().size();
    const auto start = Clock::now();
    Run("xdotool key --clearmodifiers alt+f");
    bool opened = false;
    while (!(opened = ShownWindows().size() > before) && Clock::now() - start < kMenuPatience) {
    }
    const auto took = Clock::now() - start;
    Run("xdotool key Escape");
    for (const auto closing = Clock::now();
         ShownWindows().size() > before && Clock::now() - closing < kMenuPatience;) {
        std::this_thread::sleep_for(10ms);
    }
    if (opened) {
        milliseconds.push_back(std::chrono::duration<double, std::milli>(took).count());
    }
    return opened;
}

} // namespace t8::bench
