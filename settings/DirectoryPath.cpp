#include "settings/DirectoryPath.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace t8 {
namespace {

namespace fs = std::filesystem;

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

} // namespace

std::string WithoutTrailingSeparator(const std::string& directory) {
    std::string result = directory;
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

std::string ChooserStart(const std::string& directory) {
    std::error_code error;
    if (fs::path path = fs::absolute(WithoutTrailingSeparator(directory), error);
        !directory.empty() && !error) {
        for (; !path.empty(); path = path.parent_path()) {
            if (IsDirectory(path)) {
                return path.string();
            }
            if (path == path.parent_path()) {
                break;
            }
        }
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && IsDirectory(home) ? std::string(home) : std::string("/");
}

} // namespace t8
