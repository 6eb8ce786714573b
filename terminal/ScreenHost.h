#pragma once

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
    // Passes one 0x0A byte through the link's ShowReceived, so that capture records the wrap's
    // line feed; it comes back into ScreenModel::Process as a nested call.
    virtual void ReinjectLineFeed() = 0;
    // Called only while addressPromptActive is set: the transfer collects its promptText here.
    virtual void PromptCharacter(std::uint8_t byte) = 0;
    virtual void PromptBackspace() = 0;
};

} // namespace t8
