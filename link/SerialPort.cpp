#include "link/SerialPort.h"

#include "link/LineSpeed.h"

#include <asm/termbits.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace t8 {

namespace {

// Ptys and some adapters have no modem lines: these errors mean "cannot tell", not failure.
bool IsNoModemLines(int err) {
    return err == ENOTTY || err == EINVAL;
}

// A driver that knows no terminal requests refuses them with ENOTTY, or some (random, input,
// hidraw) with EINVAL: either way the file is no serial device. The errno stays as it came.
LinkError TerminalRequestError(int err) {
    return err == EINVAL ? LinkError{LinkErrorKind::NotATerminal, err} : LinkError::FromErrno(err);
}

long Now() {
    using namespace std::chrono;
    return static_cast<long>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(const std::string& path) {
    Close();
    lastError = {};
    const int device = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device < 0) {
        lastError = LinkError::FromErrno(errno);
        return false;
    }
    // A pty's master side (/dev/ptmx) is a terminal too, but each open of it makes a new pty
    // that no device is on: a run would only wait for a prompt that never comes.
    if (unsigned ptyNumber = 0; ::ioctl(device, TIOCGPTN, &ptyNumber) == 0) {
        lastError = LinkError::FromErrno(ENOTTY);
        ::close(device);
        return false;
    }
    // flock catches a second opener even where TIOCEXCL does not (privileged users).
    if (::flock(device, LOCK_EX | LOCK_NB) != 0) {
        lastError = LinkError::FromErrno(errno == EWOULDBLOCK ? EBUSY : errno);
        ::close(device);
        return false;
    }
    if (::ioctl(device, TIOCEXCL) != 0 || !SaveLineSettings(device, savedLine)) {
        lastError = TerminalRequestError(errno);
        ::close(device);
        return false;
    }
    releaseFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (releaseFd < 0) {
        lastError = LinkError::FromErrno(errno);
        ::ioctl(device, TIOCNXCL);
        ::close(device);
        return false;
    }
    haveSavedSettings = true;
    fd = device;
    return true;
}

void SerialPort::Close() {
    if (fd >= 0) {
        if (haveSavedSettings) {
            RestoreLineSettings(fd, savedLine);
        }
        // The exclusive flag outlives us when someone else keeps the tty open (a simulator).
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        fd = -1;
    }
    if (releaseFd >= 0) {
        ::close(releaseFd);
        releaseFd = -1;
    }
    haveSavedSettings = false;
}

bool SerialPort::Configure(const LineSettings& settings) {
    const int err = fd < 0 ? EBADF : ApplyLineSettings(fd, settings);
    lastError = err == 0 ? LinkError() : LinkError::SettingsRefused(err);
    return err == 0;
}

std::uint32_t SerialPort::ModemStatus() const {
    if (fd < 0) {
        return 0;
    }
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) != 0) {
        return IsNoModemLines(errno) ? (kModemCts | kModemDsr | kModemRlsd) : 0;
    }
    std::uint32_t status = 0;
    status |= (lines & TIOCM_CTS) ? kModemCts : 0;
    status |= (lines & TIOCM_DSR) ? kModemDsr : 0;
    status |= (lines & TIOCM_RNG) ? kModemRing : 0;
    status |= (lines & TIOCM_CAR) ? kModemRlsd : 0;
    return status;
}

void SerialPort::SetModemLine(int line, bool on) {
    if (fd >= 0) {
        ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line); // a pty refuses; it has no lines
    }
}

void SerialPort::SetDtr(bool on) {
    SetModemLine(TIOCM_DTR, on);
}
void SerialPort::SetRts(bool on) {
    SetModemLine(TIOCM_RTS, on);
}

std::size_t SerialPort::InputQueued() const {
    int count = 0;
    return (fd >= 0 && ::ioctl(fd, FIONREAD, &count) == 0 && count > 0)
               ? static_cast<std::size_t>(count)
               : 0;
}

std::size_t SerialPort::OutputQueued() const {
    int count = 0;
    return (fd >= 0 && ::ioctl(fd, TIOCOUTQ, &count) == 0 && count > 0)
               ? static_cast<std::size_t>(count)
               : 0;
}

void SerialPort::Purge() {
    if (fd >= 0) {
        ::ioctl(fd, TCFLSH, TCIOFLUSH);
    }
}

void SerialPort::DiscardOutput() {
    if (fd >= 0) {
        ::ioctl(fd, TCFLSH, TCOFLUSH);
    }
}

WaitResult SerialPort::WaitReadable() {
    if (fd < 0) {
        return WaitResult::Error;
    }
    pollfd fds[2] = {{fd, POLLIN, 0}, {releaseFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return WaitResult::Error;
        }
        if (fds[1].revents != 0) {
            return WaitResult::Released;
        }
        // A hung-up tty polls readable forever and reads as empty: only data still queued
        // behind the hang-up is worth a read.
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            return InputQueued() > 0 ? WaitResult::Data : WaitResult::HangUp;
        }
        if (fds[0].revents & POLLIN) {
            return WaitResult::Data;
        }
    }
}

void SerialPort::Release() {
    if (releaseFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(releaseFd, &one, sizeof one);
    }
}

long SerialPort::Read(std::uint8_t* buffer, std::size_t max) {
    if (fd < 0) {
        return -EBADF;
    }
    for (;;) {
        const ssize_t got = ::read(fd, buffer, max);
        if (got >= 0) {
            return static_cast<long>(got);
        }
        if (errno == EINTR) {
            continue;
        }
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -errno;
    }
}

bool SerialPort::WaitWritable(int timeoutMs, WriteResult& result) {
    pollfd fds[2] = {{fd, POLLOUT, 0}, {releaseFd, POLLIN, 0}};
    int ready = 0;
    do {
        ready = ::poll(fds, 2, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
        result.timedOut = true;
        return false;
    }
    if (ready < 0 || fds[1].revents != 0) {
        result.error = ready < 0 ? errno : ECANCELED;
        return false;
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        result.error = EIO;
        return false;
    }
    return true;
}

// What the line takes now, then a wait for room, until all is written, the time is up or the
// line fails.
WriteResult SerialPort::Write(const std::uint8_t* bytes, std::size_t count,
                              std::uint32_t timeoutMs) {
    const long deadline = timeoutMs > 0 ? Now() + static_cast<long>(timeoutMs) : 0;
    WriteResult result;
    for (;;) {
        const WriteResult taken = WriteAvailable(bytes + result.written, count - result.written);
        result.written += taken.written;
        result.error = taken.error;
        if (result.written == count || result.error != 0) {
            return result;
        }
        const long left = deadline > 0 ? deadline - Now() : kStalledWriteMs;
        if (left <= 0) {
            result.timedOut = true;
            return result;
        }
        if (!WaitWritable(static_cast<int>(left), result)) {
            return result;
        }
    }
}

WriteResult SerialPort::WriteAvailable(const std::uint8_t* bytes, std::size_t count) {
    WriteResult result;
    if (fd < 0) {
        result.error = EBADF;
        return result;
    }
    // The descriptor is non-blocking: a full driver buffer ends the write with EAGAIN.
    while (result.written < count) {
        const ssize_t put = ::write(fd, bytes + result.written, count - result.written);
        if (put > 0) {
            result.written += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else {
            if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                result.error = errno;
            }
            break;
        }
    }
    return result;
}

void SerialPort::SuspendOutput(bool suspend) {
    if (fd >= 0) {
        ::ioctl(fd, TCXONC, suspend ? TCOOFF : TCOON);
    }
}

} // namespace t8
