#pragma once

namespace t8::cmd {

// Command ids, as the menus, toolbar, accelerators and handlers share them.
inline constexpr int kChecksumRom = 32771;
inline constexpr int kChecksumRam = 32772;
inline constexpr int kPortParameters = 32773;
inline constexpr int kSendFile = 32774;
inline constexpr int kReceiveFile = 32775;
inline constexpr int kBurn = 32776;
inline constexpr int kLoad = 32777;
inline constexpr int kPretest = 32778;
inline constexpr int kCompare = 32779;
inline constexpr int kErase = 32780;
inline constexpr int kEmulate = 32781;
inline constexpr int kKeyLeft = 32783;
inline constexpr int kKeyRight = 32784;
inline constexpr int kKeyUp = 32785;
inline constexpr int kKeyDown = 32786;
inline constexpr int kKeyEsc = 32791;
inline constexpr int kKeyEnter = 32792;
inline constexpr int kClearScreen = 32794;
inline constexpr int kReceiveLibrary = 32832;
inline constexpr int kCaptureStart = 32833;
inline constexpr int kCaptureStop = 32834;
inline constexpr int kExamineFile = 32835;
inline constexpr int kChangeFont = 32836;
inline constexpr int kSavePreferences = 32838;
inline constexpr int kDirectories = 32839;
inline constexpr int kExecuteBatch = 32840;
inline constexpr int kUploadEeprom = 32841;
inline constexpr int kDownloadEeprom = 32842;
inline constexpr int kBackgroundColour = 32843;
inline constexpr int kSettings = 32846;

// The framework's standard commands.
inline constexpr int kPrintSetup = 57606;
inline constexpr int kPrint = 57607;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kHelpSearch = 57666;
inline constexpr int kHelpTopics = 57667;
inline constexpr int kHelpUsing = 57668;
inline constexpr int kNextPane = 57680;
inline constexpr int kPreviousPane = 57681;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
// The program's own: the time each line began, in a margin beside the terminal.
inline constexpr int kViewTimestamps = 32860;

} // namespace t8::cmd
