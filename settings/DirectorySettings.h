#pragma once

#include <string>

namespace t8 {

inline constexpr char kAllFilesFilter[] = "*.*";
inline constexpr char kAllFilesFilterName[] = "All files (*.*)";
inline constexpr char kHexFilesFilter[] = "*.hex";
inline constexpr char kHexFilesFilterName[] = "Hex files (*.hex)";

// Where the file dialogs of the transfer and batch commands start, and with which filter.
// The filter names are kept and stored only.
struct DirectorySettings {
    std::string downloadDirectory;
    std::string downloadFilter = kAllFilesFilter;
    std::string downloadFilterName = kAllFilesFilterName;
    std::string libraryDirectory;
    std::string libraryFilter = kAllFilesFilter;
    std::string libraryFilterName = kAllFilesFilterName;
    std::string uploadDirectory;
    std::string uploadFilter = kHexFilesFilter;
    std::string uploadFilterName = kHexFilesFilterName;
    std::string batchDirectory;

    // The compiled-in defaults, every directory set to startDirectory.
    [[nodiscard]] static DirectorySettings ForStartDirectory(const std::string& startDirectory);
    // The defaults for the process's current directory (empty when it cannot be read).
    [[nodiscard]] static DirectorySettings AtCurrentDirectory();

    friend bool operator==(const DirectorySettings&, const DirectorySettings&) = default;
};

} // namespace t8
