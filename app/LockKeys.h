#pragma once

namespace t8 {

// Caps, Num and Scroll Lock as the display server reports them.
struct LockKeyState {
    bool known = false; // false where the platform does not tell (Wayland, offscreen)
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

[[nodiscard]] LockKeyState ReadLockKeys();

} // namespace t8
