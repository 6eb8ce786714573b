#include "link/NetConnect.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace t8 {

namespace {

using Clock = std::chrono::steady_clock;

struct AddrInfoFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddrList = std::unique_ptr<addrinfo, AddrInfoFree>;

// Shared with the lookup thread, which may outlive the caller's wait.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    addrinfo* list = nullptr;
    ~Lookup() {
        if (list != nullptr) {
            freeaddrinfo(list);
        }
    }
};

addrinfo Hints(int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags | AI_NUMERICSERV | AI_ADDRCONFIG;
    return hints;
}

LinkError LookupError(int status) {
    switch (status) {
    case EAI_NONAME:
    case EAI_FAIL:
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return {LinkErrorKind::NameNotFound, 0};
    case EAI_SYSTEM:
        return LinkError::FromErrno(errno);
    default:
        return {LinkErrorKind::NameNotFound, 0};
    }
}

// The addresses of `host`; a numeric one at once, a name on a thread bounded by `deadline`.
AddrList Resolve(const std::string& host, const std::string& service, Clock::time_point deadline,
                 LinkError& error) {
    addrinfo* list = nullptr;
    addrinfo numeric = Hints(AI_NUMERICHOST);
    if (getaddrinfo(host.c_str(), service.c_str(), &numeric, &list) == 0) {
        return AddrList(list);
    }
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service] {
        addrinfo hints = Hints(0);
        addrinfo* found = nullptr;
        const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        const std::lock_guard lock(lookup->mutex);
        lookup->status = status;
        lookup->list = found;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; })) {
        error = {LinkErrorKind::TimedOut, ETIMEDOUT};
        return nullptr;
    }
    if (lookup->status != 0) {
        error = LookupError(lookup->status);
        return nullptr;
    }
    return AddrList(std::exchange(lookup->list, nullptr));
}

LinkError ConnectError(int err) {
    switch (err) {
    case ECONNREFUSED:
        return {LinkErrorKind::Refused, err};
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
        return {LinkErrorKind::Unreachable, err};
    case ETIMEDOUT:
        return {LinkErrorKind::TimedOut, err};
    default:
        return LinkError::FromErrno(err);
    }
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// One address: the descriptor once connected, else -1 with `error` set.
int ConnectOne(const addrinfo& address, Clock::time_point deadline, LinkError& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) {
        error = LinkError::FromErrno(errno);
        return -1;
    }
    int err = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (err == EINPROGRESS) {
        pollfd wait{fd, POLLOUT, 0};
        int ready = 0;
        do {
            ready = ::poll(&wait, 1, MillisecondsLeft(deadline));
        } while (ready < 0 && errno == EINTR);
        socklen_t size = sizeof err;
        if (ready == 0) {
            err = ETIMEDOUT;
        } else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &size) != 0) {
            err = errno;
        }
    }
    if (err != 0) {
        ::close(fd);
        error = ConnectError(err);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one); // keys go out as typed
    return fd;
}

} // namespace

Connection ConnectTcp(const std::string& host, std::uint16_t port, int limitMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    Connection connection;
    const AddrList list = Resolve(host, std::to_string(port), deadline, connection.error);
    if (!list) {
        return connection;
    }
    for (const addrinfo* address = list.get(); address != nullptr; address = address->ai_next) {
        connection.fd = ConnectOne(*address, deadline, connection.error);
        if (connection.fd >= 0 || connection.error.kind == LinkErrorKind::TimedOut) {
            break;
        }
    }
    if (connection.fd >= 0) {
        connection.error = {};
    }
    return connection;
}

} // namespace t8
