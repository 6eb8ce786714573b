#include "tools/t8batch/RecordFile.h"

#include "transfer/save/SaveFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace t8 {

namespace {

constexpr mode_t kNewFileMode = 0666; // narrowed by the umask
// Another run holds the lock only while it appends one line; one that holds it this long is
// stuck, and waiting longer would stall the line.
constexpr auto kLockWait = std::chrono::seconds(30);
constexpr auto kLockRetry = std::chrono::milliseconds(20);

std::string Reason(int error) {
    return std::strerror(error);
}

// Empty when the lock is held, else why not.
std::string Lock(int fd, const std::function<bool()>& interrupted) {
    const auto until = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return Reason(errno);
        }
        if (interrupted && interrupted()) {
            return "a stop signal came while it waited for another program's lock";
        }
        if (std::chrono::steady_clock::now() > until) {
            return "another program holds its lock";
        }
        std::this_thread::sleep_for(kLockRetry);
    }
    return {};
}

// The text to append: the line, after a line end when the file's last line lacks one.
std::string Appended(int fd, off_t size, const std::string& line) {
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, size - 1) != 1) {
        last = '\n';
    }
    return (last == '\n' ? "" : "\n") + line + "\n";
}

// Under the lock: append, or take back what a failed append left.
std::string AppendLocked(int fd, const std::string& line) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return Reason(errno);
    }
    const std::string text = Appended(fd, info.st_size, line);
    if (!WriteAll(fd, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, false)) {
        const int error = errno;
        const int restored = ::ftruncate(fd, info.st_size); // the line cut short, taken back
        static_cast<void>(restored);
        return Reason(error);
    }
    return ::fsync(fd) == 0 ? std::string() : Reason(errno);
}

} // namespace

std::string AppendRecord(const std::string& path, const std::string& line,
                         const std::function<bool()>& interrupted) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
               kNewFileMode);
    if (fd < 0) {
        return Reason(errno);
    }
    std::string error;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = Reason(errno);
    } else if (!S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
    } else if (::fcntl(fd, F_SETFL, O_APPEND) != 0) {
        error = Reason(errno);
    } else if (error = Lock(fd, interrupted); error.empty()) {
        error = AppendLocked(fd, line);
        ::flock(fd, LOCK_UN);
    }
    if (::close(fd) != 0 && error.empty()) {
        error = Reason(errno);
    }
    return error;
}

} // namespace t8
