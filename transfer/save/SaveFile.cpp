#include "transfer/save/SaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

namespace t8 {
namespace {

// Links followed before giving up, as the kernel does for one path.
constexpr int kMaxLinkDepth = 40;
constexpr std::size_t kSuffixLength = 8;
// Keeps ".<name>.<suffix>" within the longest file name the system takes.
constexpr std::size_t kTemporaryNameMax = NAME_MAX - kSuffixLength - 2;
constexpr int kTemporaryAttempts = 64;
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask and the folder's default ACL
// Fill()'s answer when the temporary file cannot take the target's owner.
constexpr int kOwnerNotKept = -1;

struct Target {
    std::string path; // the file itself, symbolic links followed
    bool exists = false;
    struct stat status {};
};

SaveResult Failed(const std::string& path, int error) {
    return {false, false, "Cannot write the file " + path + ":\n" + std::strerror(error),
            std::strerror(error)};
}

// The folder part with its trailing separator ("" for a bare name), and the name.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {std::string(), path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

int ReadLink(const std::string& path, std::string& link) {
    std::vector<char> buffer(PATH_MAX);
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0) {
        return errno;
    }
    if (static_cast<std::size_t>(length) >= buffer.size()) {
        return ENAMETOOLONG;
    }
    link.assign(buffer.data(), static_cast<std::size_t>(length));
    return 0;
}

// Follows symbolic links to the file they name, so that the link itself is kept. A path that
// names nothing yet is the file to create, also at the end of a dangling link.
int Resolve(const std::string& named, Target& target) {
    target.path = named;
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        if (::lstat(target.path.c_str(), &target.status) != 0) {
            return errno == ENOENT ? 0 : errno;
        }
        if (!S_ISLNK(target.status.st_mode)) {
            target.exists = true;
            return 0;
        }
        std::string link;
        if (const int error = ReadLink(target.path, link); error != 0) {
            return error;
        }
        target.path =
            !link.empty() && link.front() == '/' ? link : SplitPath(target.path).first + link;
    }
    return ELOOP;
}

// Replacing would cut other hard links off the new content, or replace a device or pipe.
bool MustWriteInPlace(const struct stat& status) {
    return !S_ISREG(status.st_mode) || status.st_nlink > 1;
}

// A new file beside the target under a name no other file has; the kernel gives it the mode
// a new file of that folder gets.
int CreateTemporary(const std::string& targetPath, std::string& temporary) {
    const auto [folder, name] = SplitPath(targetPath);
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        temporary = folder + "." + name.substr(0, kTemporaryNameMax) + ".";
        for (std::size_t i = 0; i < kSuffixLength; ++i) {
            temporary += kLetters[pick(random)];
        }
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// The owner first: changing it clears the set-id bits that the mode then restores.
int Fill(int fd, const Target& target, std::span<const std::uint8_t> bytes) {
    if (target.exists) {
        const struct stat& old = target.status;
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            return kOwnerNotKept;
        }
        if (::fchmod(fd, old.st_mode & kPermissionBits) != 0) {
            return errno;
        }
    }
    if (!WriteAll(fd, bytes, false) || ::fsync(fd) != 0) {
        return errno;
    }
    return 0;
}

// The rename is only as durable as the folder entry that records it.
void SyncFolder(const std::string& targetPath) {
    const std::string folder = SplitPath(targetPath).first;
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

// The room for the new content is reserved before a byte of the old is overwritten, so a full
// disk fails the save with the file as it was; it is cut to the new length only at the end.
int OverwriteRegular(int fd, std::span<const std::uint8_t> bytes) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) {
        return errno;
    }
    const auto size = static_cast<off_t>(bytes.size());
    if (size > now.st_size) {
        if (const int error = ::posix_fallocate(fd, 0, size); error != 0) {
            // Gives back whatever was reserved before it failed; the old bytes are all below.
            const int restored = ::ftruncate(fd, now.st_size);
            static_cast<void>(restored);
            return error;
        }
    }
    if (!WriteAll(fd, bytes, true) || ::ftruncate(fd, size) != 0 || ::fsync(fd) != 0) {
        return errno;
    }
    return 0;
}

SaveResult WriteInPlace(const std::string& path, const Target& target,
                        std::span<const std::uint8_t> bytes, std::string notice) {
    const bool regular = S_ISREG(target.status.st_mode);
    // A pipe without a reader fails at once instead of holding the window.
    const int fd = ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | (regular ? 0 : O_NONBLOCK));
    if (fd < 0) {
        return Failed(path, errno);
    }
    int error = 0;
    if (regular) {
        error = OverwriteRegular(fd, bytes);
    } else if (::fcntl(fd, F_SETFL, 0) != 0 || !WriteAll(fd, bytes, false)) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        return Failed(path, error);
    }
    return {true, true, std::move(notice), {}};
}

bool FolderRefuses(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

SaveResult WriteReplacing(const std::string& path, const Target& target,
                          std::span<const std::uint8_t> bytes) {
    std::string temporary;
    const int fd = CreateTemporary(target.path, temporary);
    if (fd < 0) {
        const int error = errno;
        if (target.exists && FolderRefuses(error)) {
            return WriteInPlace(path, target, bytes,
                                path + " was overwritten in place: its folder does not allow "
                                       "new files, so it could not be replaced as a whole.");
        }
        return Failed(path, error);
    }
    int error = Fill(fd, target, bytes);
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error == kOwnerNotKept ? WriteInPlace(path, target, bytes, {}) : Failed(path, error);
    }
    SyncFolder(target.path);
    return {true, false, {}, {}};
}

} // namespace

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, bool positioned) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = positioned ? ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                                  static_cast<off_t>(done))
                                       : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            errno = put == 0 ? EIO : errno;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

std::string SaveTargetProblem(const std::string& path) {
    Target target;
    if (const int error = Resolve(path, target); error != 0) {
        return std::strerror(error);
    }
    if (target.exists) {
        return S_ISDIR(target.status.st_mode)   ? std::strerror(EISDIR)
               : S_ISREG(target.status.st_mode) ? std::string()
                                                : "it is not a regular file";
    }
    const std::string folder = SplitPath(target.path).first;
    struct stat info {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) {
        return std::strerror(errno);
    }
    return S_ISDIR(info.st_mode) ? std::string() : std::strerror(ENOTDIR);
}

SaveResult SaveFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    Target target;
    if (const int error = Resolve(path, target); error != 0) {
        return Failed(path, error);
    }
    if (target.exists && S_ISDIR(target.status.st_mode)) {
        return Failed(path, EISDIR);
    }
    if (target.exists && MustWriteInPlace(target.status)) {
        return WriteInPlace(path, target, bytes, {});
    }
    return WriteReplacing(path, target, bytes);
}

} // namespace t8
