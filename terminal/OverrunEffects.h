#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace t8 {

// What device text still does when later text hides it from the screen before it is seen:
// its bells ring, its prompt character counts as seen, its last XON or XOFF (under
// software flow control) sets whether we may send, and a character drawn brings the cursor
// row into view.
struct OverrunEffects {
    std::size_t bells = 0;
    bool prompt = false;
    bool drawn = false;
    std::optional<std::uint8_t> flowControl;
};

[[nodiscard]] OverrunEffects FindOverrunEffects(const std::uint8_t* bytes, std::size_t count,
                                                bool flowControl, std::uint8_t promptChar);

} // namespace t8
