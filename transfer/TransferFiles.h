#pragma once

#include <string>

namespace t8 {

// The folder of `path` without its trailing separator; empty for a bare name or a file at "/".
[[nodiscard]] std::string DirectoryOf(const std::string& path);
// The name and extension of `path`.
[[nodiscard]] std::string NameOf(const std::string& path);
// A file dialog's initial name: the folder, a separator unless the folder is empty or already
// ends in one, then the pattern.
[[nodiscard]] std::string InitialName(const std::string& directory, const std::string& pattern);
// The folder a file dialog opens in, from its initial name: the name itself, or the part before
// the last separator when the name ends in a pattern ("/data/*.hex": "/data"; "/*.*": "/").
[[nodiscard]] std::string StartFolder(const std::string& initialName);
// A regular file that can be read; a FIFO, device or folder is not, and is never waited on.
[[nodiscard]] bool CanOpenForReading(const std::string& path);

} // namespace t8
