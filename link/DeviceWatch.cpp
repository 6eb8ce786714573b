#include "link/DeviceWatch.h"

#include <cerrno>
#include <filesystem>
#include <sys/inotify.h>
#include <system_error>
#include <unistd.h>

namespace t8 {

namespace {

namespace fs = std::filesystem;

// A name created or moved in is a device (or a folder on the way to one) arriving; a changed
// entry is udev setting a new node's permissions. The rest concern the watched folder itself.
constexpr std::uint32_t kEntryEvents = IN_CREATE | IN_MOVED_TO | IN_ATTRIB;
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_Q_OVERFLOW;

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

} // namespace

DeviceWatch::DeviceWatch() : fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

DeviceWatch::~DeviceWatch() {
    if (fd >= 0) {
        ::close(fd);
    }
}

DeviceWatch::Spot DeviceWatch::NearestSpot(const std::string& path) {
    fs::path below = fs::path(path).lexically_normal();
    fs::path folder = below.parent_path();
    while (!IsFolder(folder) && folder.has_relative_path()) {
        below = folder;
        folder = folder.parent_path();
    }
    return {folder.string(), below.filename().string()};
}

bool DeviceWatch::Watch(const std::vector<std::string>& paths_) {
    Stop();
    for (const std::string& path : paths_) {
        std::error_code error;
        const fs::path absolute = fs::absolute(path, error);
        if (!error && !path.empty()) {
            paths.push_back(absolute.string());
        }
    }
    return Arm();
}

void DeviceWatch::Stop() {
    for (const auto& [descriptor, names] : watched) {
        inotify_rm_watch(fd, descriptor);
    }
    watched.clear();
    paths.clear();
    Drain();
}

bool DeviceWatch::Arm() {
    if (fd < 0) {
        return false;
    }
    std::map<int, std::set<std::string>> wanted;
    for (const std::string& path : paths) {
        const Spot spot = NearestSpot(path);
        // the same folder twice gives the same descriptor: its names gather
        const int descriptor = inotify_add_watch(
            fd, spot.folder.c_str(), kEntryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
        if (descriptor >= 0) {
            wanted[descriptor].insert(spot.name);
        }
    }
    for (const auto& [descriptor, names] : watched) {
        if (!wanted.contains(descriptor)) {
            inotify_rm_watch(fd, descriptor);
        }
    }
    watched = std::move(wanted);
    return !watched.empty();
}

void DeviceWatch::Drain() {
    alignas(inotify_event) char events[kEventBuffer];
    while (fd >= 0 && ::read(fd, events, sizeof events) > 0) {
    }
}

bool DeviceWatch::Check() {
    bool concerned = false;
    bool rearm = false;
    alignas(inotify_event) char events[kEventBuffer];
    for (;;) {
        const ssize_t count = fd >= 0 ? ::read(fd, events, sizeof events) : -1;
        if (count <= 0) {
            break; // EAGAIN: all taken
        }
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto found = watched.find(event->wd);
            if ((event->mask & IN_Q_OVERFLOW) != 0 ||
                ((event->mask & kSelfEvents) != 0 && found != watched.end())) {
                rearm = true; // a watched folder went, or events were lost: look again
                continue;
            }
            if (event->len > 0 && found != watched.end() && found->second.contains(event->name)) {
                concerned = true;
                // a folder on the way to the device arrived: watch deeper
                rearm = rearm || (event->mask & IN_ISDIR) != 0;
            }
        }
    }
    if (rearm && !paths.empty()) {
        Arm();
        concerned = true; // what was missing may have arrived before the new watch
    }
    return concerned && !paths.empty();
}

} // namespace t8
