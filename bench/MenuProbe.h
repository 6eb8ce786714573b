#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace t8::bench {

// How long a window takes to open its first menu: Alt+F is typed into it on an X display
// (xdotool), and the time until one more window of the program is shown is taken; Escape closes
// the menu again. Runs beside a flood on a thread of its own.
class MenuProbe {
public:
    explicit MenuProbe(pid_t program_) : program(program_) {}

    // False (with Problem() saying why) when the window cannot be found or focused.
    bool Prepare();
    // One menu opened and closed; false when it did not open within the patience.
    bool OpenOnce();
    [[nodiscard]] const std::vector<double>& Milliseconds() const { return milliseconds; }
    [[nodiscard]] const std::string& Problem() const { return problem; }

private:
    [[nodiscard]] std::vector<std::string> ShownWindows() const;

    pid_t program;
    std::string mainWindow;
    std::vector<double> milliseconds;
    std::string problem;
};

} // namespace t8::bench
