#pragma once

#include "terminal/LineStamps.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace t8 {

// The time each line of a capture began, so that a saved capture can carry it: the capture
// holds the bytes as they came, and the times are written in front of the lines only when the
// operator asks for them. A line begins with the first byte after a line feed.
class CaptureStamps {
public:
    // A new capture starts: its first byte begins a line.
    void Reset();
    // The capture took `count` more bytes at `now`.
    void Note(const std::uint8_t* bytes, std::size_t count, StampTime now);
    // `captured` with "hh:mm:ss.mmm " in front of each line; bytes past what was noted keep
    // no time.
    [[nodiscard]] std::vector<std::uint8_t> Stamped(std::span<const std::uint8_t> captured) const;

private:
    std::vector<std::pair<std::size_t, StampTime>> starts; // offset of a line, its time
    std::size_t length = 0;
    bool lineStart = true;
};

} // namespace t8
