#include "settings/SettingsSchema.h"

#include <array>

namespace t8 {

namespace {

const std::array kTtyKeys = {
    IntKey{"Heigth", &LogFont::height}, // the store's own spelling
    IntKey{"BackColor", &TTYInfo::backColour},
    IntKey{"FontColor", &TTYInfo::textColour},
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
};

// software flow control lasts one run: the COM page can switch it on, a restart clears it
const std::array kComKeys = {
    IntKey{"Port", &TTYInfo::comPort},
    IntKey{"Active", &TTYInfo::comActive},
    IntKey{"XonXoff", &TTYInfo::comXonXoff, LoadRule::ResetToZero},
    IntKey{"LocalEcho", &TTYInfo::comLocalEcho},
    IntKey{"NewLine", &TTYInfo::comNewLine},
    IntKey{"AutoWrap", &TTYInfo::comAutoWrap},
    IntKey{"ByteSize", &TTYInfo::byteSize},
    IntKey{"FlowCtrl", &TTYInfo::flowCtrl, LoadRule::ClearXonXoff},
    IntKey{"Parity", &TTYInfo::parity},
    IntKey{"StopBits", &TTYInfo::stopBits},
    IntKey{"Reconnect", &TTYInfo::comReconnect},
};

const std::array kLptKeys = {
    IntKey{"Port", &TTYInfo::lptPort},           IntKey{"Active", &TTYInfo::lptActive},
    IntKey{"LocalEcho", &TTYInfo::lptLocalEcho}, IntKey{"NewLine", &TTYInfo::lptNewLine},
    IntKey{"AutoWrap", &TTYInfo::lptAutoWrap},   IntKey{"ByteWidth", &TTYInfo::lptByteWidth},
};

const std::array kUsbKeys = {
    IntKey{"Active", &TTYInfo::usbActive},
    IntKey{"LocalEcho", &TTYInfo::usbLocalEcho},
    IntKey{"NewLine", &TTYInfo::usbNewLine},
    IntKey{"AutoWrap", &TTYInfo::usbAutoWrap},
};

const std::array kSettingsKeys = {
    IntKey{"FillUnused", &TTYInfo::fillUnused},
    IntKey{"FillPattern", &TTYInfo::fillPattern},
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

template <class... Handlers> struct Overloaded : Handlers... { using Handlers::operator()...; };
// clang 14 does not deduce aggregate templates by itself
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

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
        Overloaded{
            [&](std::uint8_t TTYInfo::*m) -> std::uint32_t { return tty.*m; },
            [&](std::uint32_t TTYInfo::*m) -> std::uint32_t { return tty.*m; },
            [&](std::uint8_t LogFont::*m) -> std::uint32_t { return tty.logFont.*m; },
            [&](std::int32_t LogFont::*m) { return static_cast<std::uint32_t>(tty.logFont.*m); },
        },
        field);
}

void SetField(TTYInfo& tty, const IntField& field, std::uint32_t value) {
    const auto low8 = static_cast<std::uint8_t>(value & 0xFFu);
    std::visit(
        Overloaded{
            [&](std::uint8_t TTYInfo::*m) { tty.*m = low8; },
            [&](std::uint32_t TTYInfo::*m) { tty.*m = value; },
            [&](std::uint8_t LogFont::*m) { tty.logFont.*m = low8; },
            [&](std::int32_t LogFont::*m) { tty.logFont.*m = static_cast<std::int32_t>(value); },
        },
        field);
}

} // namespace t8
