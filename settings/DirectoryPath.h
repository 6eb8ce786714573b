#pragma once

#include <string>

namespace t8 {

// A chosen directory as the settings keep it: without a trailing separator. The root stays
// "/", which an empty text could not say.
[[nodiscard]] std::string WithoutTrailingSeparator(const std::string& directory);

// Where a directory chooser opens for a field's text: the directory itself, else its nearest
// existing parent, else the user's home (or "/" without one).
[[nodiscard]] std::string ChooserStart(const std::string& directory);

} // namespace t8
