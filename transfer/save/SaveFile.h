#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace t8 {

// How a save went. On failure `message` says why, for the operator, and an existing file is
// as it was. On success `message` is empty unless the file had to be overwritten in place,
// which the operator is told.
struct SaveResult {
    bool saved = false;
    bool inPlace = false;
    std::string message;
    std::string reason; // on failure: the system's word for it ("No space left on device")
};

// The one way the program writes a file the operator named: received data, captures, a
// batch's received files. The new content is written beside the file under a name of its
// own and renamed over it once complete, so a failure (a full disk) never leaves the file
// half-written. A symbolic link is followed and stays a link; the file keeps its mode and
// owner. Where replacing would break something the file is overwritten in place instead, its
// size reserved first: a file with other hard links, one whose owner cannot be kept, one in a
// folder that refuses new files (reported), and anything that is not a regular file.
[[nodiscard]] SaveResult SaveFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Why SaveFile could not write a regular file at `path` (links followed as it follows them):
// something that is not a regular file is there, or the folder it would go to is missing;
// empty otherwise. The write itself may still fail (a full disk, a read-only file).
[[nodiscard]] std::string SaveTargetProblem(const std::string& path);

// Writes all of `bytes` to `fd` (from offset 0 when `positioned`, else where it stands), again
// after an interrupted or short write; false with errno set when the file takes no more.
[[nodiscard]] bool WriteAll(int fd, std::span<const std::uint8_t> bytes, bool positioned);

} // namespace t8
