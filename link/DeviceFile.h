#pragma once

#include <string>

namespace t8 {

// Why the file at `path` is no serial device: missing, a folder, a regular file, a pipe...
// Empty for a character device (whether it is a tty the open tells).
[[nodiscard]] std::string DeviceFileProblem(const std::string& path);

} // namespace t8
