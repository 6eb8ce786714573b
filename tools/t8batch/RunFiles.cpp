#include "tools/t8batch/RunFiles.h"

#include "formats/RegularFile.h"
#include "transfer/TransferFiles.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace t8 {

std::string TxFileProblem(const std::string& path) {
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        return file.error;
    }
    ::close(file.fd);
    return file.size == 0 ? "it is empty" : "";
}

std::string RxFileProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return std::strerror(EISDIR);
        }
        return S_ISREG(info.st_mode) ? "" : "it is not a regular file";
    }
    if (errno != ENOENT) {
        return std::strerror(errno);
    }
    const std::string folder = DirectoryOf(path);
    if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) {
        return std::strerror(errno);
    }
    return S_ISDIR(info.st_mode) ? "" : std::strerror(ENOTDIR);
}

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    const std::time_t seconds = system_clock::to_time_t(when);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    std::array<char, 40> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text.data() + length, text.size() - length, ".%03dZ", static_cast<int>(ms));
    return text.data();
}

std::string StationName() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

} // namespace t8
