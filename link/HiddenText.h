#pragma once

#include "link/ReceiveQueue.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace t8 {

// A place in a dispatch's received blocks: the block's index and the offset in it.
struct TextPoint {
    std::size_t event = 0;
    std::size_t offset = 0;
};

// Where the text begins that can still be seen on the screen once all of `events` are shown:
// the carriage return before the last `lineFeeds` line feeds. From a carriage return on, the
// cursor walks the same columns whatever came before, and that many line feeds then scroll
// all of the earlier text away; what precedes it is hidden. Nothing is hidden when the blocks
// hold fewer line feeds, or anything but data (a line lost or an error shown goes as it
// comes).
[[nodiscard]] std::optional<TextPoint> FirstShownPoint(const std::deque<ReceivedEvent>& events,
                                                       std::size_t lineFeeds);

// How many of the `count` bytes of block `event` lie before `shownFrom`.
[[nodiscard]] std::size_t HiddenBytes(const std::optional<TextPoint>& shownFrom, std::size_t event,
                                      std::size_t count);

} // namespace t8
