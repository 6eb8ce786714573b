#include "bench/FloodPty.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace t8::bench {

namespace {

constexpr std::chrono::seconds kOpenPatience{30};

} // namespace

FloodPty::FloodPty() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        return;
    }
    path = name;
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
}

FloodPty::~FloodPty() {
    for (const int fd : {slave, master}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void FloodPty::SetRaw() const {
    termios settings{};
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    cfsetspeed(&settings, B115200);
    tcsetattr(slave, TCSANOW, &settings);
    tcflush(slave, TCIOFLUSH);
}

bool FloodPty::WaitForOpen(const std::function<void()>& start) const {
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, path.c_str(), IN_OPEN) < 0) {
        start();
        std::this_thread::sleep_for(kWindowSettle);
        return true;
    }
    start();
    pollfd fd{watch, POLLIN, 0};
    const bool opened =
        ::poll(&fd, 1, static_cast<int>(std::chrono::milliseconds(kOpenPatience).count())) > 0;
    ::close(watch);
    return opened;
}

} // namespace t8::bench
