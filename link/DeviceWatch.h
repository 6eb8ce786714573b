#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace t8 {

// Tells when a device that went away may be back, from the system's own file events: an
// inotify watch on the folder of each path it is known by (/dev, /dev/serial/by-id, the folder
// of a simulator's link), or, while such a folder is missing (the by-id folder goes with the
// last adapter), on the nearest folder above it that exists. Nothing runs while nothing
// happens: the owner waits on Fd() in its event loop and calls Check() when it is readable.
class DeviceWatch {
public:
    DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;
    ~DeviceWatch();

    // The descriptor to wait on; -1 when the system offers no file events. It stays the same
    // from construction to destruction.
    [[nodiscard]] int Fd() const { return fd; }
    // Watches for the given absolute paths to appear or change; false when nothing could be
    // watched.
    bool Watch(const std::vector<std::string>& paths);
    // Stops watching; events already waiting are dropped.
    void Stop();
    [[nodiscard]] bool Watching() const { return !watched.empty(); }
    // Takes the waiting events without blocking; true when one may concern a watched path
    // (created, moved in, its permissions changed, or the watch itself had to be renewed).
    [[nodiscard]] bool Check();

    // Events read at once; more wait for the next read.
    static constexpr std::size_t kEventBuffer = 4096;

private:
    // The folder to watch for `path` and the name in it that matters.
    struct Spot {
        std::string folder;
        std::string name;
    };
    [[nodiscard]] static Spot NearestSpot(const std::string& path);
    // Watches the nearest existing folder of every path; drops watches no longer needed.
    bool Arm();
    void Drain();

    int fd = -1;
    std::vector<std::string> paths;
    std::map<int, std::set<std::string>> watched; // watch descriptor -> names that matter
};

} // namespace t8
