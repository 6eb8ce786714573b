#include "examine/ExamineDirectory.h"

namespace t8 {

std::string ExamineDirectoryOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

std::string ExamineStartPath(std::string_view examineDirectory) {
    std::string path(examineDirectory);
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path + "*.*";
}

} // namespace t8
