#pragma once

#include "link/TTYInfo.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace t8 {

// Milliseconds since local midnight.
using StampTime = std::int32_t;

// "hh:mm:ss.mmm" of a time of day.
[[nodiscard]] std::string FormatStamp(StampTime time);

// The time each line the device sent began, per row of the screen buffer, for the margin the
// view shows beside the rows. It follows the buffer as it scrolls, is re-shaped and cleared; a
// row that a wrapped line continues on has no time of its own. It watches the record's cursor
// around each piece of a block it hands on, so the screen processing needs to know nothing of
// it. Runs on the window's thread.
class LineStamps {
public:
    // Hands a piece of the block on to the screen processing; `offset`: where the piece
    // starts in the block (a wrap inside it happens that much further into the block).
    using Show =
        std::function<void(const std::uint8_t* bytes, std::size_t count, std::size_t offset)>;

    explicit LineStamps(const TTYInfo& tty);

    // Shows a block through `show`, noting `now` for a line it begins. A wrap's line feed,
    // which the screen processing passes back in while a piece is shown, comes here nested.
    void Feed(const std::uint8_t* bytes, std::size_t count, StampTime now, const Show& show);
    // The screen is blank: no row has a time, and the next character begins a line.
    void Clear();
    // The time of a buffer row, if a line began there.
    [[nodiscard]] std::optional<StampTime> At(std::int32_t row);

private:
    [[nodiscard]] bool EndsLine(std::uint8_t byte) const;
    void ShowLineEnd(const std::uint8_t* bytes, std::size_t at, const Show& show);
    // Follows a re-shape of the buffer (a new column count) since the last look.
    void Follow();

    const TTYInfo& tty;
    std::deque<std::optional<StampTime>> rows;
    std::int32_t seenRow = 0;
    std::int32_t seenColumns = 0;
    int depth = 0;         // Feed calls under way; more than one means a wrap's line feed
    bool lineStart = true; // the next character shown begins a line
};

} // namespace t8
