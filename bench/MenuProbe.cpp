#include "bench/MenuProbe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

namespace t8::bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kWindowPatience = 20s;
constexpr auto kMenuPatience = 5s;

} // namespace

struct MenuProbe::Connection {
    Display* display = nullptr;
    Window root = 0;
    Window main = 0;
    Atom pidAtom = 0;

    ~Connection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    [[nodiscard]] std::optional<pid_t> PidOf(Window window) const {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long left = 0;
        unsigned char* data = nullptr;
        std::optional<pid_t> pid;
        if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &count, &left, &data) == Success &&
            data != nullptr && format == 32 && count == 1) {
            pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        }
        if (data != nullptr) {
            XFree(data);
        }
        return pid;
    }

    // The program's shown top-level window, below a window manager's frame or not.
    [[nodiscard]] Window FindShown(Window under, pid_t program, int depth) const {
        Window parent = 0;
        Window top = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(display, under, &top, &parent, &children, &count) == 0) {
            return 0;
        }
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, children[i], &attributes) == 0 ||
                attributes.map_state != IsViewable) {
                continue;
            }
            if (PidOf(children[i]) == program && !attributes.override_redirect) {
                found = children[i];
            } else if (depth > 0) {
                found = FindShown(children[i], program, depth - 1);
            }
        }
        if (children != nullptr) {
            XFree(children);
        }
        return found;
    }

    void Tap(std::initializer_list<KeySym> chord) const {
        for (const KeySym key : chord) {
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
        }
        for (auto key = std::rbegin(chord); key != std::rend(chord); ++key) {
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, *key), False, CurrentTime);
        }
        XFlush(display);
    }

    // The next map (or unmap) on the root of a window of `program`, within the patience.
    std::optional<Window> Await(int type, pid_t program, Window only) const {
        const auto deadline = Clock::now() + kMenuPatience;
        while (Clock::now() < deadline) {
            while (XPending(display) > 0) {
                XEvent event{};
                XNextEvent(display, &event);
                const Window window = type == MapNotify ? event.xmap.window : event.xunmap.window;
                if (event.type == type && (only == 0 || window == only) &&
                    (only != 0 || PidOf(window) == program)) {
                    return window;
                }
            }
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            (void)::poll(&fd, 1, 10);
        }
        return std::nullopt;
    }
};

MenuProbe::MenuProbe(pid_t program_) : program(program_), x(std::make_unique<Connection>()) {}

MenuProbe::~MenuProbe() = default;

bool MenuProbe::Prepare() {
    x->display = std::getenv("DISPLAY") != nullptr ? XOpenDisplay(nullptr) : nullptr;
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (x->display == nullptr || !XTestQueryExtension(x->display, &event, &error, &major, &minor)) {
        problem = "needs an X display with the XTest extension";
        return false;
    }
    x->root = DefaultRootWindow(x->display);
    x->pidAtom = XInternAtom(x->display, "_NET_WM_PID", False);
    const auto deadline = Clock::now() + kWindowPatience;
    while ((x->main = x->FindShown(x->root, program, 3)) == 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
    }
    if (x->main == 0) {
        problem = "the window was not shown";
        return false;
    }
    XRaiseWindow(x->display, x->main);
    XSetInputFocus(x->display, x->main, RevertToParent, CurrentTime);
    XSelectInput(x->display, x->root, SubstructureNotifyMask);
    XSync(x->display, False);
    std::this_thread::sleep_for(200ms); // the focus has arrived
    return true;
}

bool MenuProbe::OpenOnce() {
    XSync(x->display, True); // notices from before this opening are not its own
    const auto start = Clock::now();
    x->Tap({XK_Alt_L, XK_f});
    const std::optional<Window> menu = x->Await(MapNotify, program, 0);
    const auto took = Clock::now() - start;
    x->Tap({XK_Escape});
    if (menu) {
        (void)x->Await(UnmapNotify, program, *menu);
        milliseconds.push_back(std::chrono::duration<double, std::milli>(took).count());
    }
    return menu.has_value();
}

} // namespace t8::bench
