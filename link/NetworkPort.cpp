#include "link/NetworkPort.h"

#include "link/NetConnect.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace t8 {

namespace {

std::uint64_t SteadyMicroseconds() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void Signal(int eventFd) {
    if (eventFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(eventFd, &one, sizeof one);
    }
}

void Drain(int eventFd) {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto got = ::read(eventFd, &count, sizeof count);
}

int PollOne(pollfd& wait, int timeoutMs) {
    int ready = 0;
    do {
        ready = ::poll(&wait, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready;
}

} // namespace

NetworkPort::NetworkPort(Clock clock_) : clock(std::move(clock_)) {
    if (!clock) {
        clock = SteadyMicroseconds;
    }
}

NetworkPort::~NetworkPort() {
    Close();
}

std::uint64_t NetworkPort::Now() const {
    return clock();
}

bool NetworkPort::Open(const std::string& address) {
    Close();
    const NetAddress parsed = ParseNetAddress(address);
    if (!parsed.problem.empty()) {
        lastError = {LinkErrorKind::BadAddress, 0};
        return false;
    }
    const Connection connection = adopted ? std::exchange(adopted, std::nullopt).value()
                                          : ConnectTcp(parsed.host, parsed.port);
    if (connection.fd < 0) {
        lastError = connection.error;
        return false;
    }
    releaseFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (releaseFd < 0 || wakeFd < 0) {
        const int err = errno;
        ::close(connection.fd);
        Close();
        lastError = LinkError::FromErrno(err);
        return false;
    }
    fd = connection.fd;
    protocol = parsed.protocol;
    lastError = {};
    const std::lock_guard guard(lock);
    session = Rfc2217Session();
    closed = false;
    writeError = 0;
    inbox.clear();
    outbox.clear();
    suspended = false;
    pacer.Clear();
    if (Rfc2217()) {
        session.AppendGreeting(outbox);
        FlushLocked();
    }
    return true;
}

void NetworkPort::Close() {
    for (int* descriptor : {&fd, &releaseFd, &wakeFd}) {
        if (*descriptor >= 0) {
            ::close(*descriptor);
            *descriptor = -1;
        }
    }
}

void NetworkPort::FlushLocked() {
    std::size_t sent = 0;
    while (sent < outbox.size() && writeError == 0) {
        const ssize_t put =
            ::send(fd, outbox.data() + sent, outbox.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put > 0) {
            sent += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else {
            if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                writeError = errno;
            }
            break;
        }
    }
    outbox.erase(outbox.begin(), outbox.begin() + static_cast<std::ptrdiff_t>(sent));
}

void NetworkPort::Pump(int timeoutMs, bool wakeReader) {
    const std::lock_guard reading(pumpLock);
    pollfd wait{fd, POLLIN, 0};
    if (PollOne(wait, timeoutMs) <= 0) {
        return;
    }
    std::array<std::uint8_t, 4096> block{};
    ssize_t got = 0;
    do {
        got = ::recv(fd, block.data(), block.size(), MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    const std::lock_guard guard(lock);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        closed = true; // the server ended it, or the network did
    } else if (got > 0) {
        const std::size_t before = inbox.size();
        if (Rfc2217()) {
            std::vector<std::uint8_t> reply;
            session.Receive(block.data(), static_cast<std::size_t>(got), inbox, reply);
            outbox.insert(outbox.end(), reply.begin(), reply.end());
            FlushLocked();
        } else {
            inbox.insert(inbox.end(), block.data(), block.data() + got);
        }
        if (!wakeReader || inbox.size() == before) {
            return;
        }
    }
    if (wakeReader) {
        Signal(wakeFd);
    }
}

void NetworkPort::SendCommand(std::uint8_t command, const std::vector<std::uint8_t>& payload) {
    if (fd < 0 || !Rfc2217()) {
        return;
    }
    const std::lock_guard guard(lock);
    session.AppendCommand(outbox, command, payload);
    FlushLocked();
}

bool NetworkPort::WaitForRate(unsigned answersBefore, std::uint32_t rate) {
    const std::uint64_t deadline = SteadyMicroseconds() + kAnswerLimitMs * std::uint64_t{1000};
    while (SteadyMicroseconds() < deadline) {
        {
            const std::lock_guard guard(lock);
            if (session.RateAnswers() > answersBefore) {
                // a server that answers with another rate kept the one it had
                if (session.AnsweredRate() != rate) {
                    lastError = LinkError::SettingsRefused(EINVAL);
                    return false;
                }
                return true;
            }
            if (closed || writeError != 0 || session.ComPortRefused()) {
                lastError = session.ComPortRefused()
                                ? LinkError::SettingsRefused(EOPNOTSUPP)
                                : LinkError{LinkErrorKind::ClosedByServer, writeError};
                return false;
            }
        }
        Pump(10, true);
    }
    lastError = LinkError{LinkErrorKind::TimedOut, ETIMEDOUT};
    return false;
}

// A new rate is in force before this returns: the server confirms it, so the bytes written next
// go out at that rate.
bool NetworkPort::Configure(const LineSettings& settings) {
    if (fd < 0) {
        lastError = LinkError::SettingsRefused(EBADF);
        return false;
    }
    pacer.SetLine(settings);
    if (!Rfc2217()) {
        return true; // the server's own settings hold
    }
    unsigned answers = 0;
    {
        const std::lock_guard guard(lock);
        answers = session.RateAnswers();
        session.AppendSettings(outbox, settings);
        FlushLocked();
    }
    return WaitForRate(answers, settings.baudRate);
}

std::uint32_t NetworkPort::ModemStatus() const {
    if (fd < 0) {
        return 0;
    }
    const std::lock_guard guard(lock);
    const int state = Rfc2217() ? session.ModemState() : -1;
    // lines nobody told us of count as present, as on a device that cannot report them
    return state < 0 ? (kModemCts | kModemDsr | kModemRlsd) : static_cast<std::uint32_t>(state);
}

void NetworkPort::SetDtr(bool on) {
    SendCommand(Rfc2217Session::kSetControl,
                {on ? Rfc2217Session::kControlDtrOn : Rfc2217Session::kControlDtrOff});
}

void NetworkPort::SetRts(bool on) {
    SendCommand(Rfc2217Session::kSetControl,
                {on ? Rfc2217Session::kControlRtsOn : Rfc2217Session::kControlRtsOff});
}

std::size_t NetworkPort::InputQueued() const {
    const std::lock_guard guard(lock);
    return inbox.size();
}

std::size_t NetworkPort::OutputQueued() const {
    return fd < 0 ? 0 : pacer.Queued(Now());
}

void NetworkPort::Purge() {
    SendCommand(Rfc2217Session::kPurgeData, {Rfc2217Session::kPurgeBoth});
    const std::lock_guard guard(lock);
    inbox.clear();
    pacer.Clear();
}

void NetworkPort::DiscardOutput() {
    SendCommand(Rfc2217Session::kPurgeData, {Rfc2217Session::kPurgeTransmit});
    pacer.Clear();
}

WaitResult NetworkPort::WaitReadable() {
    if (fd < 0) {
        return WaitResult::Error;
    }
    for (;;) {
        {
            const std::lock_guard guard(lock);
            if (!inbox.empty()) {
                return WaitResult::Data;
            }
            if (closed) {
                return WaitResult::HangUp;
            }
        }
        pollfd fds[3] = {{fd, POLLIN, 0}, {releaseFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 3, -1);
        if (ready < 0 && errno != EINTR) {
            return WaitResult::Error;
        }
        if (fds[1].revents != 0) {
            return WaitResult::Released;
        }
        if (fds[2].revents != 0) {
            Drain(wakeFd);
        }
        if (fds[0].revents != 0) {
            Pump(0, false);
        }
    }
}

void NetworkPort::Release() {
    Signal(releaseFd);
}

long NetworkPort::Read(std::uint8_t* buffer, std::size_t max) {
    if (fd < 0) {
        return -EBADF;
    }
    const std::lock_guard guard(lock);
    const std::size_t count = std::min(max, inbox.size());
    std::copy_n(inbox.begin(), count, buffer);
    inbox.erase(inbox.begin(), inbox.begin() + static_cast<std::ptrdiff_t>(count));
    return static_cast<long>(count);
}

WriteResult NetworkPort::WriteAvailable(const std::uint8_t* bytes, std::size_t count) {
    WriteResult result;
    if (fd < 0) {
        result.error = EBADF;
        return result;
    }
    const std::uint64_t now = Now();
    const std::lock_guard guard(lock);
    if (closed || writeError != 0) {
        result.error = writeError != 0 ? writeError : EPIPE;
        return result;
    }
    FlushLocked(); // what the socket left over last time goes first
    if (suspended || session.HeldByServer() || outbox.size() > kOutboxLimit) {
        return result;
    }
    result.written = std::min(count, pacer.Room(now));
    if (Rfc2217()) {
        session.AppendData(outbox, bytes, result.written);
    } else {
        outbox.insert(outbox.end(), bytes, bytes + result.written);
    }
    FlushLocked();
    pacer.Wrote(result.written, now);
    return result;
}

// What the line takes now, then a wait for the pacing to make room, until all is written, the
// time is up or the connection fails.
WriteResult NetworkPort::Write(const std::uint8_t* bytes, std::size_t count,
                               std::uint32_t timeoutMs) {
    const std::uint64_t limitUs =
        std::uint64_t{timeoutMs > 0 ? timeoutMs : 10000u} * 1000; // as a serial port's stall
    const std::uint64_t start = Now();
    WriteResult result;
    for (;;) {
        const WriteResult taken = WriteAvailable(bytes + result.written, count - result.written);
        result.written += taken.written;
        result.error = taken.error;
        if (result.written == count || result.error != 0) {
            return result;
        }
        const std::uint64_t spent = Now() - start;
        if (spent >= limitUs) {
            result.timedOut = true;
            return result;
        }
        const std::uint64_t waitUs = std::max<std::uint64_t>(pacer.WaitForRoomUs(Now()), 1000);
        pollfd release{releaseFd, POLLIN, 0};
        if (PollOne(release, static_cast<int>(std::min(waitUs, limitUs - spent) / 1000 + 1)) != 0) {
            result.error = ECANCELED;
            return result;
        }
    }
}

} // namespace t8
