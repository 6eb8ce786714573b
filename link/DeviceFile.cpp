#include "link/DeviceFile.h"

#include <string_view>
#include <sys/stat.h>

namespace t8 {

namespace {

std::string_view FileKind(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISREG(mode)) {
        return "a regular file";
    }
    if (S_ISFIFO(mode)) {
        return "a named pipe";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return S_ISBLK(mode) ? "a block device (a disk)" : "no device";
}

} // namespace

std::string DeviceFileProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return "There is no " + path + ".";
    }
    if (S_ISCHR(info.st_mode)) {
        return {};
    }
    return path + " is " + std::string(FileKind(info.st_mode)) + ", not a serial device.";
}

} // namespace t8
