#pragma once

#include <functional>
#include <string>

namespace t8 {

// Appends `line` (one JSON object, no line end) and a line end to the --record file, which
// several t8batch processes may share: the line goes out with one append while an advisory lock
// (flock) is held, a line cut short by a full disk is taken back, and the file is synced before
// the lock is let go. A line left unfinished by a process that died is ended first, so each line
// stays whole. Returns why it failed, or empty. Only a regular file (or a new one) is taken.
// The wait for the lock ends after 30 s, or when `interrupted` says so (a stop signal).
[[nodiscard]] std::string AppendRecord(const std::string& path, const std::string& line,
                                       const std::function<bool()>& interrupted = {});

} // namespace t8
