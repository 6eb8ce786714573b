#pragma once

#include <string>

class QWidget;

namespace t8 {

inline constexpr char kBrowseDirectoryTitle[] = "Browse directory";

// A directory chooser that opens in `directory` (or its nearest existing parent). Returns 1
// with the chosen directory, without a trailing separator, in `directory`; 0 with it unchanged
// when the operator cancels.
int BrowseDirectory(std::string& directory, QWidget* parent = nullptr);

} // namespace t8
