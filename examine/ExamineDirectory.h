#pragma once

#include <string>
#include <string_view>

namespace t8 {

// The folder of the last file examined, without its trailing separator ("/" for the root).
[[nodiscard]] std::string ExamineDirectoryOf(std::string_view path);

// The open-file dialog's initial name: the folder, a separator unless it ends with one, "*.*";
// just "*.*" while no folder is known.
[[nodiscard]] std::string ExamineStartPath(std::string_view examineDirectory);

} // namespace t8
