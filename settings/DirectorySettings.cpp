#include "settings/DirectorySettings.h"

#include <filesystem>
#include <system_error>

namespace t8 {

DirectorySettings DirectorySettings::ForStartDirectory(const std::string& startDirectory) {
    DirectorySettings settings;
    settings.downloadDirectory = startDirectory;
    settings.libraryDirectory = startDirectory;
    settings.uploadDirectory = startDirectory;
    settings.batchDirectory = startDirectory;
    return settings;
}

DirectorySettings DirectorySettings::AtCurrentDirectory() {
    // a deleted working directory is not worth failing start-up for: the dialogs then start
    // wherever the platform puts them
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return ForStartDirectory(error ? std::string() : current.string());
}

} // namespace t8
