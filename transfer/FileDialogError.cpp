#include "transfer/FileDialogError.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace t8 {
namespace {

struct DialogError {
    std::uint32_t code;
    std::string_view message;
};

// The trailing blanks belong to the messages.
constexpr std::array kDialogErrors = {
    DialogError{0x0001, "The lStructSize member of the initialization structure for the "
                        "corresponding common dialog box is invalid."},
    DialogError{0x0002, "The common dialog box function failed during initialization. This "
                        "error often occurs when sufficient memory is not available. "},
    DialogError{0x0003, "The ENABLETEMPLATE flag was set in the Flags member of the "
                        "initialization structure for the corresponding common dialog box, but "
                        "you failed to provide a corresponding template. "},
    DialogError{0x0004, "The ENABLETEMPLATE flag was set in the Flags member of the "
                        "initialization structure for the corresponding common dialog box, but "
                        "you failed to provide a corresponding instance handle. "},
    DialogError{0x0005, "The common dialog box function failed to load a specified string. "},
    DialogError{0x0006, "The common dialog box function failed to find a specified resource. "},
    DialogError{0x0007, "The common dialog box function failed to load a specified resource. "},
    DialogError{0x0008, "The common dialog box function failed to lock a specified resource. "},
    DialogError{0x0009, "The common dialog box function was unable to allocate memory for "
                        "internal structures. "},
    DialogError{0x000A, "The common dialog box function was unable to lock the memory "
                        "associated with a handle. "},
    DialogError{0x000B, "The ENABLEHOOK flag was set in the Flags member of the initialization "
                        "structure for the corresponding common dialog box, but you failed to "
                        "provide a pointer to a corresponding hook procedure. "},
    DialogError{0x000C, "The RegisterWindowMessage function returned an error code when it was "
                        "called by the common dialog box function. "},
    DialogError{0x1001, "The PrintDlg function failed to load the required resources. "},
    DialogError{0x1002, "The PrintDlg function failed to parse the strings in the [devices] "
                        "section of the WIN.INI file. "},
    DialogError{0x1003, "The PD_RETURNDEFAULT flag was specified in the Flags member of the "
                        "PRINTDLG structure, but the hDevMode or hDevNames member was not "
                        "NULL. "},
    DialogError{0x1004, "The PrintDlg function failed to load the device driver for the "
                        "specified printer. "},
    DialogError{0x1005, "The printer driver failed to initialize a DEVMODE structure. (This "
                        "error code applies only to printer drivers written for Windows "
                        "version 3.0 and later.) "},
    DialogError{0x1006, "The PrintDlg function failed during initialization, and there is no "
                        "more specific extended error code to describe the failure. This is "
                        "the generic default error code for the function. "},
    DialogError{0x1007, "No printer drivers were found. "},
    DialogError{0x1008, "A default printer does not exist. "},
    DialogError{0x1009, "The data in the DEVMODE and DEVNAMES structures describes two "
                        "different printers. "},
    DialogError{0x100A, "The PrintDlg function failed when it attempted to create an "
                        "information context. "},
    DialogError{0x100B, "The [devices] section of the WIN.INI file did not contain an entry "
                        "for the requested printer. "},
    DialogError{0x100C, "You called the PrintDlg function with the DN_DEFAULTPRN flag "
                        "specified in the wDefault member of the DEVNAMES structure, but the "
                        "printer described by the other structure members did not match the "
                        "current default printer. (This error occurs when you store the "
                        "DEVNAMES structure and the user changes the default printer by using "
                        "the Control Panel.) "},
    DialogError{0x3001, "An attempt to subclass a list box failed because sufficient memory "
                        "was not available. "},
    DialogError{kDialogErrorInvalidFileName, "A filename is invalid. "},
    DialogError{kDialogErrorBufferTooSmall,
                "The buffer pointed to by the lpstrFile member of the OPENFILENAME structure "
                "is too small for the filename specified by the user. The first two bytes of "
                "the lpstrFile buffer contain an integer value specifying the size, in bytes "
                "(ANSI version) or 16-bit characters (Unicode version), required to receive "
                "the full name.  "},
    DialogError{0xFFFF, "The dialog box could not be created.\nThe common dialog box "
                        "function's call to the DialogBox\nfunction failed. For example, this "
                        "error\noccurs if the common dialog box call\nspecifies an invalid "
                        "window handle. "},
};

} // namespace

std::string FileDialogErrorText(std::uint32_t code) {
    if (code == kDialogErrorNone) {
        return {};
    }
    const auto* known = std::find_if(kDialogErrors.begin(), kDialogErrors.end(),
                                     [code](const DialogError& e) { return e.code == code; });
    if (known != kDialogErrors.end()) {
        return std::string(known->message);
    }
    return "Error code:" + std::to_string(static_cast<long>(code));
}

} // namespace t8
