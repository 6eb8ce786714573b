#pragma once

namespace t8 {

// Why a port did not open, as the operator's texts tell it apart. The kind says what went wrong
// in the link's terms; the system's own number stays beside it for the texts that quote it.
enum class LinkErrorKind {
    None,
    NoAddress,        // nothing to open: no device is mapped to the port number
    Unsupported,      // the address names a kind of port this program does not have
    NotFound,         // no such device (ENOENT, ENODEV, ENXIO)
    Busy,             // another program holds it (EBUSY; EAGAIN, a lock taken)
    PermissionDenied, // EACCES, EPERM: the device's group decides
    NotATerminal,     // it opened but is no serial device (ENOTTY)
    Settings,         // it opened, but the driver refused the line settings
    BadAddress,       // a network address that cannot be used (no port, port out of range)
    NameNotFound,     // the host's name is not known
    Refused,          // the host answered, but nothing accepts connections at the port
    Unreachable,      // no route to the host
    TimedOut,         // the host did not answer in time
    ClosedByServer,   // connected, but the server ended the connection at once
    Other,
};

struct LinkError {
    LinkErrorKind kind = LinkErrorKind::None;
    int systemError = 0; // the errno behind it; 0 when the system was not asked

    // The kind an errno from opening a device means; None for 0.
    [[nodiscard]] static LinkError FromErrno(int error);
    // The driver refused the settings with `error`.
    [[nodiscard]] static LinkError SettingsRefused(int error) {
        return {LinkErrorKind::Settings, error};
    }

    friend bool operator==(const LinkError&, const LinkError&) = default;
};

} // namespace t8
