#include "formats/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t8 {

namespace {

// What a file that is not a regular file is, for the message.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return std::strerror(EISDIR);
    }
    const char* kind = S_ISFIFO(mode)   ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "a special file";
    return std::string("it is ") + kind + ", not a regular file";
}

} // namespace

RegularFile OpenRegularFile(const std::string& path) {
    RegularFile file;
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer; a regular file ignores it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        struct stat info {};
        // a socket or a device without a driver says ENXIO: what it is says more
        file.error = ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)
                         ? KindOf(info.st_mode)
                         : std::strerror(error);
        return file;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        file.error = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        file.error = KindOf(info.st_mode);
    } else if (::fcntl(fd, F_SETFL, 0) != 0) {
        file.error = std::strerror(errno);
    } else {
        file.fd = fd;
        file.size = static_cast<std::uint64_t>(info.st_size);
        return file;
    }
    ::close(fd);
    return file;
}

std::string RegularFileProblem(const std::string& path) {
    RegularFile file = OpenRegularFile(path);
    if (file.Ok()) {
        ::close(file.fd);
    }
    return file.error;
}

RegularFileStream::RegularFileStream() : std::istream(nullptr) {}

RegularFileStream::~RegularFileStream() = default;

bool RegularFileStream::Open(const std::string& path) {
    Close();
    RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        error = file.error;
        setstate(std::ios::failbit);
        return false;
    }
    buffer =
        std::make_unique<__gnu_cxx::stdio_filebuf<char>>(file.fd, std::ios::in | std::ios::binary);
    size = file.size;
    error.clear();
    rdbuf(buffer.get()); // also clears the state
    return true;
}

void RegularFileStream::Close() {
    rdbuf(nullptr);
    buffer.reset(); // closes the descriptor
    size = 0;
}

} // namespace t8
