#include "commands/CommandTable.h"

#include "commands/CommandIds.h"

#include <array>

namespace t8 {

namespace {

using Kind = MenuEntry::Kind;

constexpr std::array kTwoLetter{
    // Device menu
    DeviceCommand{32795, "CP", "Select Device (CP)", "Select device by manufacturer and ID."},
    DeviceCommand{32796, "SS", "Silicon signature (SS)", "Selects device using silicon signature."},
    DeviceCommand{32776, "BU", "&Burn (BU)", "Burn the device.\nBurn device."},
    DeviceCommand{32771, "CR", "CheckSum R&OM (CR)", "Checksum ROM.\nChecksum ROM."},
    DeviceCommand{32779, "CO", "&Compare (CO)",
                  "Compare device with the contents of the memory.\nCompare device."},
    DeviceCommand{32797, "DR", "Dump ROM (DR)", "Dump device in ZIF socket"},
    DeviceCommand{32781, "EM", "E&mulate (EM)", "Emulate selected device.\nEmulate device."},
    DeviceCommand{32777, "LO", "&Load (LO)", "Load device.\nLoad device."},
    DeviceCommand{32778, "PR", "&Pretest (PR)", "Pretest device.\nPretest device."},
    DeviceCommand{32780, "CE", "&Erase (CE)", "Erase device.\nErase device."},
    DeviceCommand{32798, "QB", "Quick Burn (QB)", "Program device with memory quickly."},
    DeviceCommand{32799, "DP", "Data protect (DP)", "Protect and unprotect device."},
    DeviceCommand{32800, "SF", "Configure device (SF)", "Configure device options."},
    DeviceCommand{32801, "LB", "Burn lock bits. (LB)", ""},
    DeviceCommand{32802, "BC", "Burn encryption array (BC)", ""},
    DeviceCommand{32803, "LC", "Load encrypted (LC)", ""},
    DeviceCommand{32804, "CC", "Compare enrypted (CC)", ""},
    DeviceCommand{32805, "SA", "MCS51 silicon signature (SA)", ""},
    DeviceCommand{32807, "BS", "Burn security (BS)", ""},
    DeviceCommand{32808, "PO", "Power modes (PO)", ""},
    DeviceCommand{32809, "AL", "Advanced Load (AL)", ""},
    DeviceCommand{32810, "AB", "Advanced Burn (AB)", ""},
    DeviceCommand{32811, "AC", "Advanced Compare (AC)", ""},
    DeviceCommand{32812, "AT", "Advanced Test (AT)", ""},
    DeviceCommand{32849, "SF", "Edit configuration (SF)", ""},
    DeviceCommand{32850, "BE", "Burn Executive (BE)", ""},
    // Memory menu
    DeviceCommand{32772, "CH", "CheckSum R&AM (CH)", "Checksum RAM.\nChecksum RAM."},
    DeviceCommand{32813, "DU", "Dump area (DU)", ""},
    DeviceCommand{32814, "ED", "Edit Memory (ED)", ""},
    DeviceCommand{32815, "FI", "Fill area (FI)", ""},
    DeviceCommand{32816, "MO", "Move area (MO)", ""},
    DeviceCommand{32817, "RF", "Random Fill (RF)", ""},
    DeviceCommand{32818, "SK", "Seek (SK)", ""},
    DeviceCommand{32819, "SN", "Seek not equal to (SN)", ""},
    DeviceCommand{32820, "SP", "Split (SP)", ""},
    DeviceCommand{32821, "SH", "Shuffle (SH)", ""},
    DeviceCommand{32822, "SW", "Swap area (SW)", ""},
    // Other menu
    DeviceCommand{32823, "AS", "&Advanced Setup (AS)", ""},
    DeviceCommand{32824, "FF", "&File Format (FF)", ""},
    DeviceCommand{32825, "BA", "&Baud Rate (BA)", ""},
    DeviceCommand{32826, "BL", "&Upload bytes per line (BL)", ""},
    DeviceCommand{32827, "DS", "&Download sound (DS)", ""},
    DeviceCommand{32828, "ES", "&Edit System RAM (ES)", ""},
    DeviceCommand{32829, "ST", "&Self Test (ST)", ""},
    DeviceCommand{32830, "LL", "&Load Library (LL)", ""},
    DeviceCommand{32831, "ML", "&Make Library (ML)", ""},
};

constexpr std::array kKeys{
    DeviceCommand{cmd::kKeyLeft, "\x08", "", "Left.\nLeft."},
    DeviceCommand{cmd::kKeyRight, " ", "", "Right.\nRight."},
    DeviceCommand{cmd::kKeyUp, "X", "", "Up.\nUp."},
    DeviceCommand{cmd::kKeyDown, "Y", "", "Down.\nDown."},
    DeviceCommand{cmd::kKeyEsc, "\x1B", "", "Esc.\nEsc."},
    DeviceCommand{cmd::kKeyEnter, "\r", "", "Enter.\nEnter."},
};

constexpr MenuEntry Item(int id, std::string_view text) {
    return {Kind::Item, id, text};
}
constexpr MenuEntry Sep() {
    return {Kind::Separator};
}
constexpr MenuEntry Menu(std::string_view text) {
    return {Kind::MenuBegin, 0, text};
}
constexpr MenuEntry EndMenu() {
    return {Kind::MenuEnd};
}
constexpr MenuEntry Sub(std::string_view text) {
    return {Kind::SubmenuBegin, 0, text};
}
constexpr MenuEntry EndSub() {
    return {Kind::SubmenuEnd};
}

constexpr MenuEntry Dev(int index) {
    return Item(kTwoLetter[index].id, kTwoLetter[index].menuText);
}

constexpr std::array kMenuBar{
    Menu("&File"),
    Item(cmd::kExamineFile, "Examine file..."),
    Sep(),
    Item(cmd::kPrint, "&Print...\tCtrl+P"),
    Item(cmd::kPrintSetup, "P&rint Setup..."),
    Sep(),
    Item(cmd::kExit, "E&xit"),
    EndMenu(),

    Menu("&View"),
    Item(cmd::kViewToolbar, "&Toolbar"),
    Item(cmd::kViewStatusBar, "&Status Bar"),
    Item(cmd::kViewTimestamps, "T&imestamps"),
    EndMenu(),

    Menu("&Device"),
    Dev(0),
    Dev(1),
    Sep(),
    Dev(2),
    Dev(3),
    Dev(4),
    Dev(5),
    Dev(6),
    Dev(7),
    Dev(8),
    Dev(9),
    Dev(10),
    Dev(11),
    Sep(),
    Dev(12),
    Sep(),
    Sub("MCS51- specific function"),
    Dev(13),
    Dev(14),
    Dev(15),
    Dev(16),
    Dev(17),
    EndSub(),
    Sep(),
    Sub("PLD specific commands"),
    Dev(18),
    Dev(19),
    EndSub(),
    Sep(),
    Sub("AVR commands..."),
    Dev(20),
    Dev(21),
    Dev(22),
    Dev(23),
    EndSub(),
    Sep(),
    Sub("Microchip specific (dsPIC)"),
    Dev(24),
    Dev(25),
    EndSub(),
    EndMenu(),

    Menu("&Memory"),
    Dev(26),
    Dev(27),
    Dev(28),
    Dev(29),
    Dev(30),
    Dev(31),
    Dev(32),
    Dev(33),
    Dev(34),
    Dev(35),
    Dev(36),
    EndMenu(),

    Menu("&Other"),
    Dev(37),
    Dev(38),
    Dev(39),
    Dev(40),
    Dev(41),
    Dev(42),
    Dev(43),
    Sep(),
    Dev(44),
    Dev(45),
    Item(cmd::kReceiveLibrary, "&Receive Library (RL)\tF9"),
    EndMenu(),

    Menu("&Terminal"),
    Item(cmd::kCaptureStart, "&Capture received data"),
    Item(cmd::kCaptureStop, "&Stop capture"),
    Sep(),
    Item(cmd::kClearScreen, "Clear scree&n\tCTRL+N"),
    Item(cmd::kExecuteBatch, "Execute batch file\tF12"),
    EndMenu(),

    Menu("T&ransfer"),
    Item(cmd::kUploadEeprom, "Upload EEPROM (T8>PC)\tF5"),
    Item(cmd::kDownloadEeprom, "Download EEPROM (PC>T8)\tF6"),
    Item(cmd::kReceiveFile, "&Receive file (T8>PC)\tF7"),
    Item(cmd::kSendFile, "&Send file (PC>T8)\tF8"),
    Sep(),
    Item(cmd::kReceiveLibrary, "&Download library\tF9"),
    EndMenu(),

    Menu("&Preferences"),
    Item(cmd::kPortParameters, "&Port parameters...\tCTRL+R"),
    Item(cmd::kChangeFont, "Change &font..."),
    Item(cmd::kBackgroundColour, "Background color"),
    Item(cmd::kDirectories, "Directories"),
    Item(cmd::kSettings, "Settings..."),
    Sep(),
    Item(cmd::kSavePreferences, "&Save preferences"),
    EndMenu(),

    Menu("&Help"),
    Item(cmd::kHelpTopics, "Help &Topics\tF1"),
    Item(cmd::kHelpSearch, "Search for Help on"),
    Item(cmd::kHelpUsing, "How to Use Help"),
    Sep(),
    Item(cmd::kAbout, "&About T8HostLink....."),
    EndMenu(),
};

constexpr std::array kToolbar{
    cmd::kSendFile,
    cmd::kReceiveFile,
    0,
    cmd::kBurn,
    cmd::kLoad,
    cmd::kPretest,
    cmd::kCompare,
    cmd::kErase,
    cmd::kEmulate,
    cmd::kChecksumRom,
    cmd::kChecksumRam,
    0,
    cmd::kPortParameters,
    cmd::kExamineFile,
    cmd::kExecuteBatch,
    0,
    cmd::kKeyUp,
    cmd::kKeyDown,
    cmd::kKeyLeft,
    cmd::kKeyRight,
    0,
    cmd::kKeyEsc,
    cmd::kKeyEnter,
    0,
    cmd::kExit,
};

constexpr std::array kAccelerators{
    Accelerator{"Ctrl+N", cmd::kClearScreen},
    Accelerator{"Ctrl+P", cmd::kPrint},
    Accelerator{"Ctrl+R", cmd::kPortParameters},
    Accelerator{"Down", cmd::kKeyDown},
    Accelerator{"Left", cmd::kKeyLeft},
    Accelerator{"Right", cmd::kKeyRight},
    Accelerator{"Up", cmd::kKeyUp},
    Accelerator{"F5", cmd::kUploadEeprom},
    Accelerator{"F6", cmd::kDownloadEeprom},
    Accelerator{"F7", cmd::kReceiveFile},
    Accelerator{"F8", cmd::kSendFile},
    Accelerator{"F9", cmd::kReceiveLibrary},
    Accelerator{"F12", cmd::kExecuteBatch},
    Accelerator{"Ctrl+F6", cmd::kNextPane},
    Accelerator{"Shift+F6", cmd::kPreviousPane},
    Accelerator{"F1", cmd::kHelpTopics},
};

struct OwnPrompt {
    int id;
    std::string_view prompt;
};

// Prompts of the program's own commands that have one.
constexpr std::array kOwnPrompts{
    OwnPrompt{cmd::kClearScreen, "Clear terminal window.\tClear screen."},
    OwnPrompt{cmd::kSettings, "Settings\nSetup of various functions"},
    OwnPrompt{cmd::kViewTimestamps,
              "Show the time each line from the T8 began, beside the line.\nTimestamps"},
};

} // namespace

std::span<const DeviceCommand> TwoLetterCommands() {
    return kTwoLetter;
}
std::span<const DeviceCommand> KeyCommands() {
    return kKeys;
}
std::span<const MenuEntry> MenuBar() {
    return kMenuBar;
}
std::span<const int> ToolbarButtons() {
    return kToolbar;
}
std::span<const Accelerator> Accelerators() {
    return kAccelerators;
}

const DeviceCommand* FindDeviceCommand(int id) {
    for (const auto table : {TwoLetterCommands(), KeyCommands()}) {
        for (const auto& command : table) {
            if (command.id == id) {
                return &command;
            }
        }
    }
    return nullptr;
}

std::string_view PromptFor(int id) {
    if (const DeviceCommand* command = FindDeviceCommand(id)) {
        return command->prompt;
    }
    for (const auto& own : kOwnPrompts) {
        if (own.id == id) {
            return own.prompt;
        }
    }
    return {};
}

PromptParts SplitPrompt(std::string_view prompt) {
    const auto split = prompt.find_first_of("\n\t");
    if (split == std::string_view::npos) {
        return {std::string(prompt), {}};
    }
    return {std::string(prompt.substr(0, split)), std::string(prompt.substr(split + 1))};
}

std::string PlainMenuText(std::string_view menuText) {
    std::string plain;
    for (std::size_t i = 0; i < menuText.size() && menuText[i] != '\t'; ++i) {
        if (menuText[i] == '&' && i + 1 < menuText.size() && menuText[i + 1] != '&') {
            continue;
        }
        plain += menuText[i];
    }
    while (!plain.empty() && (plain.back() == '.' || plain.back() == ' ')) {
        plain.pop_back();
    }
    return plain;
}

} // namespace t8
