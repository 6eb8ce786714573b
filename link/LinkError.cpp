#include "link/LinkError.h"

#include <cerrno>

namespace t8 {

LinkError LinkError::FromErrno(int error) {
    switch (error) {
    case 0:
        return {};
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return {LinkErrorKind::NotFound, error};
    case EBUSY:
    case EAGAIN: // also EWOULDBLOCK: a lock another opener holds
        return {LinkErrorKind::Busy, error};
    case EACCES:
    case EPERM:
        return {LinkErrorKind::PermissionDenied, error};
    case ENOTTY:
        return {LinkErrorKind::NotATerminal, error};
    default:
        return {LinkErrorKind::Other, error};
    }
}

} // namespace t8
