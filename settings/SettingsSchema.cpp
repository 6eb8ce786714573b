#include "settings/SettingsSchema.h"

#include <array>
#include <type_traits>

namespace t8 {

namespace {

const std::array kTtyKeys = {
    IntKey{"Heigth", &LogFont::height}, // the store's own spelling
    IntKey{"BackColor", &TerminalLook::backColour},
    IntKey{"FontColor", &TerminalLook::textColour},
    IntKey{"Width", &LogFont::width},
    IntKey{"Quality", &LogFont::quality},
    IntKey{"Pitch", &LogFont::pitchAndFamily},
    IntKey{"CharSet", &LogFont::charSet},
    IntKey{"ClipPrecision", &LogFont::clipPrecision},
    IntKey{"Escapement", &LogFont::escapement},
    IntKey{"Italic", &LogFont::italic},
    IntKey{"Orientation", &LogFont::orientation},
    IntKey{"OutPrecision", &LogFont::outPrecision},
    IntKey{"StrikeOut", &LogFont::strikeOut},
    IntKey{"Underline", &LogFont::underline},
    IntKey{"Weight", &LogFont::weight},
    IntKey{"Timestamps", &TerminalLook::timestamps},
    IntKey{"CaptureTimestamps", &TerminalLook::captureTimestamps},
};

// software flow control lasts one run: the COM page can switch it on, a restart clears it
const std::array kComKeys = {
    IntKey{"Port", &ComPortSettings::comPort},
    IntKey{"Active", &ComPortSettings::comActive},
    IntKey{"XonXoff", &LineState::comXonXoff, LoadRule::ResetToZero},
    IntKey{"LocalEcho", &ComPortSettings::comLocalEcho},
    IntKey{"NewLine", &ComPortSettings::comNewLine},
    IntKey{"AutoWrap", &ComPortSettings::comAutoWrap},
    IntKey{"ByteSize", &ComPortSettings::byteSize},
    IntKey{"FlowCtrl", &ComPortSettings::flowCtrl, LoadRule::ClearXonXoff},
    IntKey{"Parity", &ComPortSettings::parity},
    IntKey{"StopBits", &ComPortSettings::stopBits},
    IntKey{"Reconnect", &ComPortSettings::comReconnect},
};

const std::array kLptKeys = {
    IntKey{"Port", &OtherPortSettings::lptPort},
    IntKey{"Active", &OtherPortSettings::lptActive},
    IntKey{"LocalEcho", &OtherPortSettings::lptLocalEcho},
    IntKey{"NewLine", &OtherPortSettings::lptNewLine},
    IntKey{"AutoWrap", &OtherPortSettings::lptAutoWrap},
    IntKey{"ByteWidth", &OtherPortSettings::lptByteWidth},
};

const std::array kUsbKeys = {
    IntKey{"Active", &OtherPortSettings::usbActive},
    IntKey{"LocalEcho", &OtherPortSettings::usbLocalEcho},
    IntKey{"NewLine", &OtherPortSettings::usbNewLine},
    IntKey{"AutoWrap", &OtherPortSettings::usbAutoWrap},
};

const std::array kSettingsKeys = {
    IntKey{"FillUnused", &FillOptions::unused},
    IntKey{"FillPattern", &FillOptions::pattern},
};

const std::array kDirectoryKeys = {
    TextKey{"DownloadDirectory", &DirectorySettings::downloadDirectory},
    TextKey{"DownloadFilter", &DirectorySettings::downloadFilter},
    TextKey{"DownloadFilterName", &DirectorySettings::downloadFilterName},
    TextKey{"UploadDirectory", &DirectorySettings::uploadDirectory},
    TextKey{"UploadFilter", &DirectorySettings::uploadFilter},
    TextKey{"UploadFilterName", &DirectorySettings::uploadFilterName},
    TextKey{"LibraryDirectory", &DirectorySettings::libraryDirectory},
    TextKey{"LibraryFilter", &DirectorySettings::libraryFilter},
    TextKey{"LibraryFilterName", &DirectorySettings::libraryFilterName},
    TextKey{"BatchDirectory", &DirectorySettings::batchDirectory},
};

// The sub-record of the record (const or not) that holds the fields of type Part.
template <class Part, class Record> auto& PartOf(Record& tty) {
    if constexpr (std::is_same_v<Part, ComPortSettings>) {
        return tty.com;
    } else if constexpr (std::is_same_v<Part, LineState>) {
        return tty.line;
    } else if constexpr (std::is_same_v<Part, OtherPortSettings>) {
        return tty.otherPorts;
    } else if constexpr (std::is_same_v<Part, TerminalLook>) {
        return tty.look;
    } else if constexpr (std::is_same_v<Part, LogFont>) {
        return tty.look.logFont;
    } else {
        static_assert(std::is_same_v<Part, FillOptions>);
        return tty.fill;
    }
}

} // namespace

std::span<const IntKey> TtyIntKeys() {
    return kTtyKeys;
}
std::span<const IntKey> ComIntKeys() {
    return kComKeys;
}
std::span<const IntKey> LptIntKeys() {
    return kLptKeys;
}
std::span<const IntKey> UsbIntKeys() {
    return kUsbKeys;
}
std::span<const IntKey> SettingsIntKeys() {
    return kSettingsKeys;
}
std::span<const TextKey> DirectoryKeys() {
    return kDirectoryKeys;
}

std::uint32_t FieldValue(const TTYInfo& tty, const IntField& field) {
    return std::visit(
        [&]<class Part, class Value>(Value Part::*member) {
            return static_cast<std::uint32_t>(PartOf<Part>(tty).*member);
        },
        field);
}

void SetField(TTYInfo& tty, const IntField& field, std::uint32_t value) {
    std::visit(
        [&]<class Part, class Value>(Value Part::*member) {
            // a byte field keeps the low 8 bits, a signed one the 32-bit pattern
            PartOf<Part>(tty).*member = static_cast<Value>(value);
        },
        field);
}

} // namespace t8
