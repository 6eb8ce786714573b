#include "transfer/TransferFiles.h"

#include "formats/RegularFile.h"

namespace t8 {
namespace {

constexpr char kSeparator = '/';

} // namespace

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind(kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind(kSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string InitialName(const std::string& directory, const std::string& pattern) {
    if (directory.empty() || directory.back() == kSeparator) {
        return directory + pattern;
    }
    return directory + kSeparator + pattern;
}

std::string StartFolder(const std::string& initialName) {
    const std::size_t slash = initialName.rfind(kSeparator);
    if (initialName.find('*') == std::string::npos) {
        return initialName;
    }
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string(1, kSeparator) : initialName.substr(0, slash);
}

bool CanOpenForReading(const std::string& path) {
    return RegularFileProblem(path).empty();
}

} // namespace t8
