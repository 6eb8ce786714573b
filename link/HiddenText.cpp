#include "link/HiddenText.h"

#include <algorithm>
#include <cstring>

namespace t8 {
namespace {

constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kCarriageReturn = 0x0D;

// The last `byte` before `end` in `bytes`, or nullopt.
std::optional<std::size_t> LastBefore(const std::vector<std::uint8_t>& bytes, std::size_t end,
                                      std::uint8_t byte) {
    if (end == 0) {
        return std::nullopt;
    }
    const void* found = ::memrchr(bytes.data(), byte, end);
    if (found == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - bytes.data());
}

} // namespace

std::optional<TextPoint> FirstShownPoint(const std::deque<ReceivedEvent>& events,
                                         std::size_t lineFeeds) {
    const bool dataOnly = std::all_of(events.begin(), events.end(), [](const ReceivedEvent& e) {
        return e.kind == ReceivedEvent::Kind::Data;
    });
    if (lineFeeds == 0 || !dataOnly) {
        return std::nullopt;
    }
    std::size_t needed = lineFeeds;
    for (std::size_t event = events.size(); event-- > 0;) {
        const std::vector<std::uint8_t>& bytes = events[event].bytes;
        std::size_t end = bytes.size();
        while (needed > 0) {
            const auto at = LastBefore(bytes, end, kLineFeed);
            if (!at) {
                break;
            }
            --needed;
            end = *at;
        }
        if (needed > 0) {
            continue;
        }
        if (const auto at = LastBefore(bytes, end, kCarriageReturn)) {
            if (event == 0 && *at == 0) {
                return std::nullopt; // nothing before it
            }
            return TextPoint{event, *at};
        }
    }
    return std::nullopt;
}

std::size_t HiddenBytes(const std::optional<TextPoint>& shownFrom, std::size_t event,
                        std::size_t count) {
    if (!shownFrom || event > shownFrom->event) {
        return 0;
    }
    return event < shownFrom->event ? count : shownFrom->offset;
}

} // namespace t8
