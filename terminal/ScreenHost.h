#pragma once

#include <cstddef>
#include <cstdint>

namespace t8 {

// What the screen model needs from the view. Every call comes on the window's thread, from
// inside ScreenModel::Process.
class ScreenHost {
public:
    ScreenHost() = default;
    ScreenHost(const ScreenHost&) = delete;
    ScreenHost& operator=(const ScreenHost&) = delete;
    virtual ~ScreenHost() = default;

    virtual void Beep() = 0;
    // Passes one 0x0A byte through the link's dispatch, so that capture records the wrap's line
    // feed right behind the first `shown` bytes of the block being processed; it comes back into
    // ScreenModel::Process as a nested call.
    virtual void ReinjectLineFeed(std::size_t shown) = 0;
    // Called only while addressPromptActive is set: the transfer collects its promptText here.
    virtual void PromptCharacter(std::uint8_t byte) = 0;
    virtual void PromptBackspace() = 0;
};

} // namespace t8
