#pragma once

#include "link/AppName.h"
#include "link/TTYInfo.h"
#include "settings/DirectorySettings.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace t8 {

inline constexpr char kOrganizationName[] = "TALLON Rodezedoraz";
inline constexpr const char* kApplicationName = kAppName;

inline constexpr char kSectionTty[] = "TTY";
inline constexpr char kSectionCom[] = "COM";
inline constexpr char kSectionLpt[] = "LPT";
inline constexpr char kSectionUsb[] = "USB";
inline constexpr char kSectionDirs[] = "DIRS";
inline constexpr char kSectionSettings[] = "Settings";

inline constexpr char kKeyFont[] = "Font";
inline constexpr char kKeyBaudRate[] = "BautRate"; // the store's own spelling
inline constexpr char kKeyDevice[] = "Device";
// Network addresses chosen before, separated by spaces; written only when there are any, so a
// store without them stays as it was.
inline constexpr char kKeyRecentAddresses[] = "RecentAddresses";

// The record field behind an integer key, as a member of the sub-record it lives in. Byte
// fields (the 8-bit members) take the low 8 bits of what is stored; 32-bit fields take the whole
// 32-bit pattern.
using IntField =
    std::variant<std::uint8_t ComPortSettings::*, std::uint32_t ComPortSettings::*,
                 std::uint32_t LineState::*, std::uint8_t OtherPortSettings::*,
                 std::uint32_t OtherPortSettings::*, std::uint32_t TerminalLook::*,
                 std::uint8_t LogFont::*, std::int32_t LogFont::*, std::uint32_t FillOptions::*>;

enum class LoadRule {
    Read,         // the stored value replaces the field
    ResetToZero,  // written only: a load clears the field without reading the key
    ClearXonXoff, // read, then the XON/XOFF bit is cleared
};

struct IntKey {
    const char* name;
    IntField field;
    LoadRule rule = LoadRule::Read;
};

struct TextKey {
    const char* name;
    std::string DirectorySettings::*field;
};

// The integer keys of each section in the order both load and save visit them. "TTY" starts
// with the string "Font"; "COM" ends with the strings "BautRate" and "Device".
[[nodiscard]] std::span<const IntKey> TtyIntKeys();
[[nodiscard]] std::span<const IntKey> ComIntKeys();
[[nodiscard]] std::span<const IntKey> LptIntKeys();
[[nodiscard]] std::span<const IntKey> UsbIntKeys();
[[nodiscard]] std::span<const IntKey> SettingsIntKeys();
[[nodiscard]] std::span<const TextKey> DirectoryKeys();

// The field's value as the 32-bit pattern the store holds.
[[nodiscard]] std::uint32_t FieldValue(const TTYInfo& tty, const IntField& field);
// Sets the field from a stored 32-bit pattern (byte fields keep the low 8 bits).
void SetField(TTYInfo& tty, const IntField& field, std::uint32_t value);

} // namespace t8
