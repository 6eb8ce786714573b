#include "terminal/OverrunEffects.h"

#include "link/LineSettings.h"

#include <algorithm>
#include <cstring>

namespace t8 {
namespace {

constexpr std::uint8_t kBell = 0x07;

// Whether any byte would be put in a cell: all but bell, backspace, line feed, carriage return
// and, under software flow control, XON and XOFF are.
bool AnyDrawn(const std::uint8_t* bytes, std::size_t count, bool flowControl) {
    return std::any_of(bytes, bytes + count, [flowControl](std::uint8_t byte) {
        const bool control = byte == kBell || byte == 0x08 || byte == 0x0A || byte == 0x0D;
        const bool flow = flowControl && (byte == kXonChar || byte == kXoffChar);
        return !control && !flow;
    });
}

// Where the last of `a` or `b` lies in `bytes`, or nullptr.
const std::uint8_t* LastOf(const std::uint8_t* bytes, std::size_t count, std::uint8_t a,
                           std::uint8_t b) {
    const auto* lastA = static_cast<const std::uint8_t*>(::memrchr(bytes, a, count));
    const auto* lastB = static_cast<const std::uint8_t*>(::memrchr(bytes, b, count));
    if (lastA == nullptr || (lastB != nullptr && lastB > lastA)) {
        return lastB;
    }
    return lastA;
}

} // namespace

OverrunEffects FindOverrunEffects(const std::uint8_t* bytes, std::size_t count, bool flowControl,
                                  std::uint8_t promptChar) {
    OverrunEffects effects;
    if (bytes == nullptr || count == 0) {
        return effects;
    }
    const std::uint8_t* const end = bytes + count;
    for (const std::uint8_t* at = bytes;
         (at = static_cast<const std::uint8_t*>(std::memchr(at, kBell, end - at))) != nullptr;
         ++at) {
        ++effects.bells;
    }
    effects.prompt = std::memchr(bytes, promptChar, count) != nullptr;
    effects.drawn = AnyDrawn(bytes, count, flowControl);
    if (flowControl) {
        if (const std::uint8_t* last = LastOf(bytes, count, kXonChar, kXoffChar)) {
            effects.flowControl = *last;
        }
    }
    return effects;
}

} // namespace t8
