#include "commands/CommandTable.h"
#include "commands/CommandIds.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace t8 {
namespace {

std::vector<std::string> MenuTitles() {
    std::vector<std::string> titles;
    for (const auto& entry : MenuBar()) {
        if (entry.kind == MenuEntry::Kind::MenuBegin) {
            titles.emplace_back(entry.text);
        }
    }
    return titles;
}

// The items of one top-level menu as "text" lines, separators as "-", submenus as "[name]".
std::vector<std::string> MenuItems(std::string_view title) {
    std::vector<std::string> items;
    bool inside = false;
    for (const auto& entry : MenuBar()) {
        using Kind = MenuEntry::Kind;
        if (entry.kind == Kind::MenuBegin) {
            inside = entry.text == title;
        } else if (!inside) {
            continue;
        } else if (entry.kind == Kind::Item) {
            items.emplace_back(entry.text);
        } else if (entry.kind == Kind::Separator) {
            items.emplace_back("-");
        } else if (entry.kind == Kind::SubmenuBegin) {
            items.push_back("[" + std::string(entry.text) + "]");
        }
    }
    return items;
}

TEST(CommandTableTest, MenuBarOrderAndNesting) {
    EXPECT_EQ(MenuTitles(),
              (std::vector<std::string>{"&File", "&View", "&Device", "&Memory", "&Other",
                                        "&Terminal", "T&ransfer", "&Preferences", "&Help"}));
    int depth = 0;
    for (const auto& entry : MenuBar()) {
        using Kind = MenuEntry::Kind;
        depth += entry.kind == Kind::MenuBegin || entry.kind == Kind::SubmenuBegin;
        depth -= entry.kind == Kind::MenuEnd || entry.kind == Kind::SubmenuEnd;
        ASSERT_GE(depth, 0);
        ASSERT_LE(depth, 2);
    }
    EXPECT_EQ(depth, 0);

    const auto device = MenuItems("&Device");
    const std::vector<std::string> expected{"Select Device (CP)",
                                            "Silicon signature (SS)",
                                            "-",
                                            "&Burn (BU)",
                                            "CheckSum R&OM (CR)",
                                            "&Compare (CO)",
                                            "Dump ROM (DR)",
                                            "E&mulate (EM)",
                                            "&Load (LO)",
                                            "&Pretest (PR)",
                                            "&Erase (CE)",
                                            "Quick Burn (QB)",
                                            "Data protect (DP)",
                                            "-",
                                            "Configure device (SF)",
                                            "-",
                                            "[MCS51- specific function]",
                                            "Burn lock bits. (LB)",
                                            "Burn encryption array (BC)",
                                            "Load encrypted (LC)",
                                            "Compare enrypted (CC)",
                                            "MCS51 silicon signature (SA)",
                                            "-",
                                            "[PLD specific commands]",
                                            "Burn security (BS)",
                                            "Power modes (PO)",
                                            "-",
                                            "[AVR commands...]",
                                            "Advanced Load (AL)",
                                            "Advanced Burn (AB)",
                                            "Advanced Compare (AC)",
                                            "Advanced Test (AT)",
                                            "-",
                                            "[Microchip specific (dsPIC)]",
                                            "Edit configuration (SF)",
                                            "Burn Executive (BE)"};
    EXPECT_EQ(device, expected);
    EXPECT_EQ(MenuItems("T&ransfer"),
              (std::vector<std::string>{"Upload EEPROM (T8>PC)\tF5", "Download EEPROM (PC>T8)\tF6",
                                        "&Receive file (T8>PC)\tF7", "&Send file (PC>T8)\tF8", "-",
                                        "&Download library\tF9"}));
    const auto other = MenuItems("&Other");
    ASSERT_EQ(other.size(), 11u);
    EXPECT_EQ(other[7], "-");
    EXPECT_EQ(other[8], "&Load Library (LL)");
    EXPECT_EQ(other[10], "&Receive Library (RL)\tF9");
}

TEST(CommandTableTest, EveryDeviceItemSendsItsOwnLetters) {
    std::set<int> ids;
    for (const auto& command : TwoLetterCommands()) {
        EXPECT_TRUE(ids.insert(command.id).second) << command.id;
        ASSERT_EQ(command.sent.size(), 2u);
        // The letters stand in the menu text, in parentheses.
        EXPECT_NE(command.menuText.find("(" + std::string(command.sent) + ")"),
                  std::string_view::npos)
            << command.menuText;
    }
    EXPECT_EQ(ids.size(), 46u);
    EXPECT_EQ(FindDeviceCommand(32800)->sent, "SF");
    EXPECT_EQ(FindDeviceCommand(32849)->sent, "SF");
    EXPECT_EQ(FindDeviceCommand(cmd::kKeyUp)->sent, "X");
    EXPECT_EQ(FindDeviceCommand(cmd::kKeyDown)->sent, "Y");
    EXPECT_EQ(FindDeviceCommand(cmd::kKeyLeft)->sent, "\x08");
    EXPECT_EQ(FindDeviceCommand(cmd::kKeyRight)->sent, " ");
    EXPECT_EQ(FindDeviceCommand(cmd::kKeyEsc)->sent, "\x1B");
    EXPECT_EQ(FindDeviceCommand(cmd::kKeyEnter)->sent, "\r");
    EXPECT_EQ(FindDeviceCommand(cmd::kSendFile), nullptr);

    // Every menu item that is a device command shows the table's text.
    for (const auto& entry : MenuBar()) {
        if (const auto* command = FindDeviceCommand(entry.id);
            command && entry.kind == MenuEntry::Kind::Item) {
            EXPECT_EQ(entry.text, command->menuText);
        }
    }
}

TEST(CommandTableTest, ToolbarGroupsAndAccelerators) {
    std::vector<std::vector<int>> groups(1);
    for (int id : ToolbarButtons()) {
        if (id == 0) {
            groups.emplace_back();
        } else {
            groups.back().push_back(id);
        }
    }
    ASSERT_EQ(groups.size(), 6u);
    EXPECT_EQ(groups[0], (std::vector<int>{cmd::kSendFile, cmd::kReceiveFile}));
    EXPECT_EQ(groups[1].size(), 8u);
    EXPECT_EQ(groups[3],
              (std::vector<int>{cmd::kKeyUp, cmd::kKeyDown, cmd::kKeyLeft, cmd::kKeyRight}));
    EXPECT_EQ(groups[5], (std::vector<int>{cmd::kExit}));

    std::map<std::string, int> keys;
    for (const auto& accelerator : Accelerators()) {
        EXPECT_TRUE(keys.emplace(std::string(accelerator.key), accelerator.id).second);
    }
    EXPECT_EQ(keys.at("Up"), cmd::kKeyUp);
    EXPECT_EQ(keys.at("F9"), cmd::kReceiveLibrary);
    EXPECT_EQ(keys.at("Ctrl+R"), cmd::kPortParameters);
}

TEST(CommandTableTest, PromptsSplitIntoStatusAndTooltip) {
    const auto burn = SplitPrompt(PromptFor(cmd::kBurn));
    EXPECT_EQ(burn.status, "Burn the device.");
    EXPECT_EQ(burn.tooltip, "Burn device.");
    const auto cp = SplitPrompt(PromptFor(32795));
    EXPECT_EQ(cp.status, "Select device by manufacturer and ID.");
    EXPECT_EQ(cp.tooltip, "");
    const auto clear = SplitPrompt(PromptFor(cmd::kClearScreen));
    EXPECT_EQ(clear.status, "Clear terminal window.");
    EXPECT_EQ(clear.tooltip, "Clear screen.");
    EXPECT_EQ(PromptFor(cmd::kExit), "");
    EXPECT_EQ(PlainMenuText("&Send file (PC>T8)\tF8"), "Send file (PC>T8)");
    EXPECT_EQ(PlainMenuText("&About T8HostLink....."), "About T8HostLink");
    EXPECT_EQ(PlainMenuText("Fish && chips"), "Fish & chips");
}

} // namespace
} // namespace t8
