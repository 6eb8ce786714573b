#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace t8 {

// The folder of `path` without its trailing separator; empty for a bare name or a file at "/".
[[nodiscard]] std::string DirectoryOf(const std::string& path);
// The name and extension of `path`.
[[nodiscard]] std::string NameOf(const std::string& path);
// A file dialog's initial name: the folder, a separator unless the folder is empty or already
// ends in one, then the pattern.
[[nodiscard]] std::string InitialName(const std::string& directory, const std::string& pattern);
[[nodiscard]] bool CanOpenForReading(const std::string& path);

// Writes `count` bytes to `path` through a temporary file beside it, renamed over the target
// at the end, so an existing file is never left half-written. On failure returns false with a
// message for the operator in `error`; the target is then as it was.
[[nodiscard]] bool WriteFileReplacing(const std::string& path, const std::uint8_t* bytes,
                                      std::size_t count, std::string& error);

} // namespace t8
