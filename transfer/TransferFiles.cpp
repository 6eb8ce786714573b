#include "transfer/TransferFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace t8 {
namespace {

constexpr char kSeparator = '/';

std::string Failure(const std::string& path, int error) {
    return "Cannot write the file " + path + ":\n" + std::strerror(error);
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t put = ::write(fd, bytes, count);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            errno = put == 0 ? EIO : errno;
            return false;
        }
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

// The mode a new file gets from the umask, which mkstemp would narrow to 0600.
mode_t CreationMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

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
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::uint8_t* bytes, std::size_t count,
                        std::string& error) {
    const std::string folder = DirectoryOf(path);
    const std::string pattern = InitialName(folder, "." + NameOf(path) + ".XXXXXX");
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = Failure(path, errno);
        return false;
    }
    struct stat existing {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    const mode_t mode = replacing ? (existing.st_mode & 07777) : CreationMode();
    int reason = 0;
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes, count) || ::fsync(fd) != 0) {
        reason = errno != 0 ? errno : EIO;
    }
    if (::close(fd) != 0 && reason == 0) {
        reason = errno;
    }
    if (reason == 0 && ::rename(temporary.data(), path.c_str()) != 0) {
        reason = errno;
    }
    if (reason != 0) {
        ::unlink(temporary.data());
        error = Failure(path, reason);
        return false;
    }
    return true;
}

} // namespace t8
