#include "sim/pty/PseudoTerminal.h"

#include "sim/pty/LineProbe.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t8::sim {
namespace {

std::string Failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Room for a burst of watch events; each open is one event without a name.
constexpr std::size_t kWatchBuffer = 64 * sizeof(inotify_event);

} // namespace

PseudoTerminal::~PseudoTerminal() {
    Close();
}

std::string PseudoTerminal::Open(std::uint32_t baudRate) {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        return Failure("cannot create a pseudo-terminal");
    }
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        const std::string error = Failure("cannot unlock the pseudo-terminal");
        Close();
        return error;
    }
    char name[128] = {};
    if (ptsname_r(master, name, sizeof name) != 0) {
        const std::string error = Failure("cannot name the pseudo-terminal");
        Close();
        return error;
    }
    slavePath = name;
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || !SetRawLine(slave, baudRate)) {
        const std::string error = Failure("cannot set up " + slavePath);
        Close();
        return error;
    }
    int on = 1;
    if (::ioctl(master, TIOCPKT, &on) != 0) {
        const std::string error = Failure("cannot put the pseudo-terminal in packet mode");
        Close();
        return error;
    }
    WatchOpens(); // after our own open of the slave, which is no host
    return {};
}

void PseudoTerminal::WatchOpens() {
    watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch >= 0 && inotify_add_watch(watch, slavePath.c_str(), IN_OPEN) < 0) {
        ::close(watch); // without it the host's purge at open still tells
        watch = -1;
    }
}

bool PseudoTerminal::TakeHostOpened() {
    bool opened = false;
    alignas(inotify_event) char events[kWatchBuffer];
    for (;;) {
        const ssize_t count = watch >= 0 ? ::read(watch, events, sizeof events) : -1;
        if (count <= 0) {
            return opened;
        }
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            opened = opened || (event->mask & (IN_OPEN | IN_Q_OVERFLOW)) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

PseudoTerminal::Reading PseudoTerminal::Read(char* buffer, std::size_t room) {
    Reading reading;
    // packet mode: a status byte first, then the data when the status is TIOCPKT_DATA (0)
    char packet[kMaxRead + 1];
    const ssize_t count = ::read(master, packet, std::min(room, kMaxRead) + 1);
    if (count < 0) {
        reading.error = errno == EAGAIN || errno == EINTR ? 0 : errno;
        return reading;
    }
    if (count == 0) {
        return reading;
    }
    const auto status = static_cast<unsigned char>(packet[0]);
    if (status != TIOCPKT_DATA) {
        reading.hostPurgedInput = (status & TIOCPKT_FLUSHREAD) != 0;
        return reading;
    }
    reading.bytes = static_cast<std::size_t>(count - 1);
    std::memcpy(buffer, packet + 1, reading.bytes);
    return reading;
}

std::string PseudoTerminal::Link(const std::string& path) {
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
        ::unlink(path.c_str()); // a link left by an earlier run that was killed
    }
    if (::symlink(slavePath.c_str(), path.c_str()) != 0) {
        return Failure("cannot link " + path);
    }
    linkPath = path;
    return {};
}

void PseudoTerminal::Close() {
    if (watch >= 0) {
        ::close(watch);
        watch = -1;
    }
    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        linkPath.clear();
    }
    if (slave >= 0) {
        ::close(slave);
        slave = -1;
    }
    if (master >= 0) {
        ::close(master);
        master = -1;
    }
}

std::optional<HostLine> PseudoTerminal::HostSettings() const {
    return master >= 0 ? ReadLineSettings(master) : std::nullopt;
}

} // namespace t8::sim
