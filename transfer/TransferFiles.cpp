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

bool CanOpenForReading(const std::string& path) {
    return RegularFileProblem(path).empty();
}

} // namespace t8
