#include "tools/t8batch/GangLoop.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <poll.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define T8_GANG_ASAN 1
#endif
#if __has_feature(thread_sanitizer)
#define T8_GANG_TSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(T8_GANG_ASAN)
#define T8_GANG_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__) && !defined(T8_GANG_TSAN)
#define T8_GANG_TSAN 1
#endif
#ifdef T8_GANG_ASAN
#include <sanitizer/asan_interface.h>
#endif
#ifdef T8_GANG_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace t8 {

namespace {

// Reserved, not committed: a port's run only touches the pages it uses.
constexpr std::size_t kStackBytes = std::size_t{8} << 20;
constexpr int kLongestHandOverMs = 1000;
constexpr std::size_t kStdinChunk = 256;

bool HasEvents(const EventLoop::Events& events) {
    return events.woken || events.signal != 0 || events.inputLine || events.inputEnded;
}

} // namespace

// Where a stack stopped, with what the sanitizers must be told when it is left and entered.
struct GangLoop::Context {
    ucontext_t context{};
    void* fakeStack = nullptr;
    const void* bottom = nullptr;
    std::size_t size = 0;
    void* tsanFiber = nullptr;
};

struct GangLoop::Port {
    EventLoop* loop = nullptr;
    std::function<void()> body;
    Context context;
    void* stack = nullptr;
    bool finished = false;
    GangLoop* gang = nullptr;

    ~Port() {
        if (stack != nullptr) {
            ::munmap(stack, kStackBytes);
        }
#ifdef T8_GANG_TSAN
        if (context.tsanFiber != nullptr) {
            __tsan_destroy_fiber(context.tsanFiber);
        }
#endif
    }
};

namespace {

// Leaves the stack running for `to`, whose bounds are `bottom` and `size`. `fakeStack` keeps
// the left stack's frames for the address sanitizer; null when that stack is done for good.
void Switch(void** fakeStack, ucontext_t& from, const void* bottom, std::size_t size,
            void* tsanFiber, ucontext_t& to) {
#ifdef T8_GANG_ASAN
    __sanitizer_start_switch_fiber(fakeStack, bottom, size);
#else
    (void)fakeStack;
    (void)bottom;
    (void)size;
#endif
#ifdef T8_GANG_TSAN
    __tsan_switch_to_fiber(tsanFiber, 0);
#else
    (void)tsanFiber;
#endif
    ::swapcontext(&from, &to);
}

// Back on a stack: its frames are its own again; `bottom` and `size` learn the bounds of the
// stack just left (null: not needed).
void Arrived(void* fakeStack, const void** bottom, std::size_t* size) {
#ifdef T8_GANG_ASAN
    __sanitizer_finish_switch_fiber(fakeStack, bottom, size);
#else
    (void)fakeStack;
    (void)bottom;
    (void)size;
#endif
}

} // namespace

GangLoop::GangLoop() : main(std::make_unique<Context>()) {
#ifdef T8_GANG_TSAN
    main->tsanFiber = __tsan_get_current_fiber();
#endif
}

GangLoop::~GangLoop() = default;

bool GangLoop::Add(EventLoop& loop, std::function<void()> body) {
    auto port = std::make_unique<Port>();
    port->loop = &loop;
    port->body = std::move(body);
    port->gang = this;
    void* stack = ::mmap(nullptr, kStackBytes, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0); // NOLINT
    if (stack == MAP_FAILED || ::getcontext(&port->context.context) != 0) {
        if (stack != MAP_FAILED) {
            ::munmap(stack, kStackBytes);
        }
        return false;
    }
    port->stack = stack;
    ::mprotect(stack, static_cast<std::size_t>(::getpagesize()), PROT_NONE); // a guard page
    port->context.context.uc_stack.ss_sp = stack;
    port->context.context.uc_stack.ss_size = kStackBytes;
    port->context.context.uc_link = nullptr;
    port->context.bottom = stack;
    port->context.size = kStackBytes;
#ifdef T8_GANG_TSAN
    port->context.tsanFiber = __tsan_create_fiber(0);
#endif
    // makecontext passes ints: the port's address goes in two halves.
    const auto address = reinterpret_cast<std::uintptr_t>(port.get());
    void (*entry)(unsigned, unsigned) = [](unsigned high, unsigned low) {
        auto* self = reinterpret_cast<Port*>((std::uintptr_t{high} << 32U) | low);
        GangLoop& gang = *self->gang;
        Arrived(nullptr, &gang.main->bottom, &gang.main->size);
        self->body();
        self->finished = true;
        Switch(nullptr, self->context.context, gang.main->bottom, gang.main->size,
               gang.main->tsanFiber, gang.main->context);
    };
    ::makecontext(&port->context.context, reinterpret_cast<void (*)()>(entry), 2,
                  static_cast<unsigned>(address >> 32U), static_cast<unsigned>(address));
    ports.push_back(std::move(port));
    return true;
}

void GangLoop::Resume(Port& port) {
    running = &port;
    Switch(&main->fakeStack, main->context, port.context.bottom, port.context.size,
           port.context.tsanFiber, port.context.context);
    Arrived(main->fakeStack, nullptr, nullptr);
    running = nullptr;
}

void GangLoop::Run() {
    for (const auto& port : ports) {
        Resume(*port);
    }
    const auto live = [this] {
        return std::any_of(ports.begin(), ports.end(),
                           [](const auto& port) { return !port->finished; });
    };
    while (live()) {
        WaitForAll();
        for (const auto& port : ports) {
            EventLoop& loop = *port->loop;
            if (!port->finished && Due(loop)) {
                Resume(*port);
            }
        }
    }
}

bool GangLoop::Due(const EventLoop& loop) {
    return (HasEvents(loop.delivered) && !loop.sleeping) || loop.NowMs() >= loop.wakeAtMs;
}

void GangLoop::HandOver(EventLoop& loop, int ms) {
    loop.wakeAtMs = loop.NowMs() + static_cast<std::uint64_t>(std::max(ms, 0));
    Port* port = running;
    if (port == nullptr || port->loop != &loop) {
        return; // not on a port's own stack: nothing to hand over to
    }
    Switch(&port->context.fakeStack, port->context.context, main->bottom, main->size,
           main->tsanFiber, main->context);
    Arrived(port->context.fakeStack, &main->bottom, &main->size);
}

void GangLoop::TakeSignals() {
    unsigned char number = 0;
    while (stopSignals.signalRead >= 0 && ::read(stopSignals.signalRead, &number, 1) == 1) {
        for (const auto& port : ports) {
            if (port->loop->delivered.signal == 0) {
                port->loop->delivered.signal = number;
            }
        }
    }
}

void GangLoop::WaitForAll() {
    std::vector<pollfd> fds{{stopSignals.signalRead, POLLIN, 0}};
    int timeoutMs = kLongestHandOverMs;
    bool readInput = false;
    for (const auto& port : ports) {
        const EventLoop& loop = *port->loop;
        fds.push_back({port->finished ? -1 : loop.wakeFd, POLLIN, 0});
        if (port->finished) {
            continue;
        }
        readInput = readInput || loop.watchInput;
        const std::uint64_t now = loop.NowMs();
        const bool due = Due(loop);
        timeoutMs = std::min(timeoutMs, due ? 0 : static_cast<int>(loop.wakeAtMs - now));
    }
    fds.push_back({readInput && !inputEnded ? STDIN_FILENO : -1, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), timeoutMs) > 0) {
        for (std::size_t i = 0; i < ports.size(); ++i) {
            if ((fds[i + 1].revents & POLLIN) != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t got = ::read(fds[i + 1].fd, &count, sizeof count);
                ports[i]->loop->delivered.woken = true;
            }
        }
        if ((fds.back().revents & (POLLIN | POLLHUP)) != 0) {
            std::array<char, kStdinChunk> chunk{};
            const ssize_t got = ::read(STDIN_FILENO, chunk.data(), chunk.size());
            inputEnded = got <= 0;
            input.append(chunk.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
        }
    }
    TakeSignals();
    DeliverInput();
}

// A whole line goes to every port that waits for one now; the end of the input to each that
// waits, now or later.
void GangLoop::DeliverInput() {
    const auto waiting = [this] {
        return std::any_of(ports.begin(), ports.end(), [](const auto& port) {
            return !port->finished && port->loop->watchInput;
        });
    };
    for (std::size_t end = input.find('\n'); end != std::string::npos && waiting();
         end = input.find('\n')) {
        const std::string line = input.substr(0, end + 1);
        input.erase(0, end + 1);
        for (const auto& port : ports) {
            if (!port->finished && port->loop->watchInput) {
                port->loop->input += line;
                port->loop->delivered.inputLine = true;
            }
        }
    }
    if (!inputEnded) {
        return;
    }
    for (const auto& port : ports) {
        EventLoop& loop = *port->loop;
        if (!port->finished && loop.watchInput) {
            loop.inputEnded = true;
            loop.watchInput = false;
            loop.delivered.inputEnded = true;
        }
    }
}

} // namespace t8
