#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace t8::bench {

// How long a window takes to open its first menu: Alt+F is typed into it on an X display
// through the XTest extension, and the time until the server maps one more window of the
// program is taken from the server's own notice, so no helper program's start-up is counted;
// Escape closes the menu again. Runs beside a flood on a thread of its own.
class MenuProbe {
public:
    explicit MenuProbe(pid_t program_);
    ~MenuProbe();
    MenuProbe(const MenuProbe&) = delete;
    MenuProbe& operator=(const MenuProbe&) = delete;

    // False (with Problem() saying why) when there is no display, no XTest, or the window
    // cannot be found or focused.
    bool Prepare();
    // One menu opened and closed; false when it did not open within the patience.
    bool OpenOnce();
    [[nodiscard]] const std::vector<double>& Milliseconds() const { return milliseconds; }
    [[nodiscard]] const std::string& Problem() const { return problem; }

private:
    struct Connection;

    pid_t program;
    std::unique_ptr<Connection> x;
    std::vector<double> milliseconds;
    std::string problem;
};

} // namespace t8::bench
