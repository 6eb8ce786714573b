#include "tests/support/PtyPair.h"

#include <asm/termbits.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace t8::test {

PtyPair::PtyPair() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        return;
    }
    char name[PATH_MAX] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        return;
    }
    slavePath = name;
    holder = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
}

PtyPair::~PtyPair() {
    CloseMaster();
    if (holder >= 0) {
        ::close(holder);
    }
}

std::vector<std::unique_ptr<PtyPair>> PtyPair::TakeNumber(const std::string& path) {
    std::vector<std::unique_ptr<PtyPair>> ptys;
    while (ptys.size() < 64 && (ptys.empty() || ptys.back()->SlavePath() != path)) {
        ptys.push_back(std::make_unique<PtyPair>());
    }
    return ptys;
}

void PtyPair::CloseMaster() {
    if (master >= 0) {
        ::close(master);
        master = -1;
    }
}

bool PtyPair::WriteAll(const std::string& bytes, int timeoutMs) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(master, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd fd{master, POLLOUT, 0};
            if (::poll(&fd, 1, timeoutMs) <= 0) {
                return false;
            }
        }
    }
    return true;
}

std::string PtyPair::ReadFor(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string got;
    char buffer[4096];
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return got;
}

PtyPair::Readback PtyPair::Decode(std::uint32_t cflag, std::uint32_t iflag) {
    Readback r;
    const tcflag_t size = cflag & CSIZE;
    r.dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    r.parityOn = (cflag & PARENB) != 0;
    r.parityOdd = (cflag & PARODD) != 0;
    r.stickParity = (cflag & CMSPAR) != 0;
    r.twoStop = (cflag & CSTOPB) != 0;
    r.rtsCts = (cflag & CRTSCTS) != 0;
    r.ixon = (iflag & IXON) != 0;
    r.ixoff = (iflag & IXOFF) != 0;
    r.inpck = (iflag & INPCK) != 0;
    return r;
}

PtyPair::Readback PtyPair::ReadSettings() const {
    termios2 tio{};
    if (::ioctl(master, TCGETS2, &tio) != 0) {
        return {};
    }
    Readback r = Decode(tio.c_cflag, tio.c_iflag);
    r.ospeed = tio.c_ospeed;
    r.ispeed = tio.c_ispeed;
    r.raw =
        !(tio.c_lflag & (ICANON | ECHO | ISIG)) && !(tio.c_oflag & OPOST) && !(tio.c_iflag & ICRNL);
    return r;
}

} // namespace t8::test
