#include "link/CommError.h"

#include <cerrno>

namespace t8 {

unsigned CommErrorCode(int systemError) {
    return systemError < 0 ? static_cast<unsigned>(-systemError)
                           : static_cast<unsigned>(systemError);
}

std::string FormatCommError(int systemError) {
    return "<CE-" + std::to_string(CommErrorCode(systemError)) + ">";
}

bool IsHangUpError(int systemError) {
    const unsigned code = CommErrorCode(systemError);
    return code == EIO || code == ENXIO || code == ENODEV || code == EBADF;
}

} // namespace t8
