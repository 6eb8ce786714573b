#include "app/LockKeys.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>

namespace t8 {

LockKeyState ReadLockKeys() {
    LockKeyState state;
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    unsigned indicators = 0;
    if (display == nullptr ||
        XkbGetIndicatorState(display, XkbUseCoreKbd, &indicators) != Success) {
        return state;
    }
    state.known = true;
    state.caps = (indicators & 0x1) != 0;
    state.num = (indicators & 0x2) != 0;
    state.scroll = (indicators & 0x4) != 0;
    return state;
}

} // namespace t8
