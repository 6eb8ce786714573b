#include "sim/pty/PseudoTerminal.h"

#include "sim/pty/LineProbe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t8::sim {
namespace {

std::string Failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

PseudoTerminal::~PseudoTerminal() {
    Close();
}

std::string PseudoTerminal::Open(std::uint32_t baudRate) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) {
        return Failure("cannot create a pseudo-terminal");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        const std::string error = Failure("cannot unlock the pseudo-terminal");
        Close();
        return error;
    }
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) {
        const std::string error = Failure("cannot name the pseudo-terminal");
        Close();
        return error;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0 || !SetRawLine(slave_, baudRate)) {
        const std::string error = Failure("cannot set up " + slavePath_);
        Close();
        return error;
    }
    return {};
}

std::string PseudoTerminal::Link(const std::string& path) {
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) {
        ::unlink(path.c_str()); // a link left by an earlier run that was killed
    }
    if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
        return Failure("cannot link " + path);
    }
    linkPath_ = path;
    return {};
}

void PseudoTerminal::Close() {
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

std::optional<HostLine> PseudoTerminal::HostSettings() const {
    return master_ >= 0 ? ReadLineSettings(master_) : std::nullopt;
}

} // namespace t8::sim
