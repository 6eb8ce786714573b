#include "terminal/LineStamps.h"

#include <algorithm>
#include <cstdio>

namespace t8 {

namespace {

constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kReturn = 0x0D;

// Bytes that leave no mark in a cell: bell, backspace, return and the flow-control pair.
bool Marks(std::uint8_t byte) {
    return byte != 0x07 && byte != 0x08 && byte != kReturn && byte != 0x11 && byte != 0x13;
}

} // namespace

std::string FormatStamp(StampTime time) {
    constexpr StampTime kDay = 24 * 3600 * 1000;
    const StampTime t = ((time % kDay) + kDay) % kDay;
    char text[16] = {};
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t / 3600000, t / 60000 % 60,
                  t / 1000 % 60, t % 1000);
    return text;
}

LineStamps::LineStamps(const TTYInfo& tty_) : tty(tty_) {
    Clear();
}

void LineStamps::Clear() {
    rows.assign(static_cast<std::size_t>(std::max(0, tty.screen.rows)), std::nullopt);
    seenRow = tty.screen.row;
    seenColumns = tty.screen.columns;
    lineStart = true;
}

bool LineStamps::EndsLine(std::uint8_t byte) const {
    return byte == kLineFeed || (byte == kReturn && tty.com.comNewLine != 0);
}

void LineStamps::Feed(const std::uint8_t* bytes, std::size_t count, StampTime now,
                      const Show& show) {
    Follow();
    ++depth;
    std::size_t at = 0;
    while (at < count) {
        if (EndsLine(bytes[at])) {
            ShowLineEnd(bytes, at, show);
            ++at;
            continue;
        }
        std::size_t end = at;
        bool marks = false;
        for (; end < count && !EndsLine(bytes[end]); ++end) {
            marks = marks || Marks(bytes[end]);
        }
        const auto row = static_cast<std::size_t>(tty.screen.row);
        if (marks && lineStart && row < rows.size()) {
            rows[row] = now;
            lineStart = false;
        }
        show(bytes + at, end - at, at);
        seenRow = tty.screen.row;
        at = end;
    }
    --depth;
}

// A line feed moves the cursor down a row, or, on the buffer's last usable row, scrolls the
// buffer up under it: the cursor row then stays where it was.
void LineStamps::ShowLineEnd(const std::uint8_t* bytes, std::size_t at, const Show& show) {
    const std::int32_t before = tty.screen.row;
    show(bytes + at, 1, at);
    if (tty.screen.row == before && !rows.empty()) {
        rows.pop_front();
        rows.emplace_back();
    }
    seenRow = tty.screen.row;
    if (depth == 1) {
        lineStart = true; // the device's own line end; a wrap continues the line
    }
}

// A new width keeps the rows up to the cursor's, the most recent ones when fewer fit, and
// blanks the rest.
void LineStamps::Follow() {
    if (tty.screen.columns != seenColumns) {
        const std::int32_t dropped = std::max(0, seenRow - tty.screen.row);
        for (std::int32_t i = 0; i < dropped && !rows.empty(); ++i) {
            rows.pop_front();
        }
        const auto kept = static_cast<std::size_t>(std::max(0, tty.screen.row + 1));
        for (std::size_t i = kept; i < rows.size(); ++i) {
            rows[i].reset();
        }
        seenColumns = tty.screen.columns;
    }
    rows.resize(static_cast<std::size_t>(std::max(0, tty.screen.rows)));
    seenRow = tty.screen.row;
}

std::optional<StampTime> LineStamps::At(std::int32_t row) {
    Follow();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
        return std::nullopt;
    }
    return rows[static_cast<std::size_t>(row)];
}

} // namespace t8
