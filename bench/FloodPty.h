#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace t8::bench {

// The device's end of a pty, and a descriptor of the slave that keeps it alive in between.
class FloodPty {
public:
    // After a window has opened the port: time to show itself and paint once.
    static constexpr std::chrono::seconds kWindowSettle{2};

    FloodPty();
    FloodPty(const FloodPty&) = delete;
    FloodPty& operator=(const FloodPty&) = delete;
    ~FloodPty();

    [[nodiscard]] bool Ok() const { return slave >= 0; }
    // Raw 8N1 at 115200, as a serial program sets it (cat would otherwise echo and edit).
    void SetRaw() const;
    // Waits until someone opens the slave after this call.
    [[nodiscard]] bool WaitForOpen(const std::function<void()>& start) const;

    int master = -1;
    int slave = -1;
    std::string path;
};

} // namespace t8::bench
