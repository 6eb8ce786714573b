#pragma once

#include <span>
#include <string>
#include <string_view>

namespace t8 {

// A command the device runs: two letters, or one key byte, sent as typed on its keypad.
struct DeviceCommand {
    int id;
    std::string_view sent;
    std::string_view menuText; // empty for key commands, which stand in no menu
    std::string_view prompt;   // status-bar prompt, its part after "\n" the tooltip
};

struct MenuEntry {
    enum class Kind { Item, Separator, SubmenuBegin, SubmenuEnd, MenuBegin, MenuEnd };
    Kind kind;
    int id = 0;                 // items only
    std::string_view text = {}; // items, submenus and menus
};

struct Accelerator {
    std::string_view key; // in the portable key-sequence form, e.g. "Ctrl+N"
    int id;
};

// The two-letter commands of the Device, Memory and Other menus.
[[nodiscard]] std::span<const DeviceCommand> TwoLetterCommands();
// The six key commands (arrows, Esc, Enter) of the toolbar and the arrow keys.
[[nodiscard]] std::span<const DeviceCommand> KeyCommands();
// The command a device id names; null for the program's own commands.
[[nodiscard]] const DeviceCommand* FindDeviceCommand(int id);

// The whole menu bar, in order, as a flat list with begin/end markers.
[[nodiscard]] std::span<const MenuEntry> MenuBar();
// Toolbar buttons in order; 0 stands for a separator between groups.
[[nodiscard]] std::span<const int> ToolbarButtons();
[[nodiscard]] std::span<const Accelerator> Accelerators();

struct PromptParts {
    std::string status;
    std::string tooltip;
};
// Splits a prompt at its "\n" (a tab serves the same in one of the texts).
[[nodiscard]] PromptParts SplitPrompt(std::string_view prompt);
// The prompt of any command id; empty when it has none.
[[nodiscard]] std::string_view PromptFor(int id);
// A menu text without its access-key marks and its shortcut column, for tooltips.
[[nodiscard]] std::string PlainMenuText(std::string_view menuText);

} // namespace t8
