#include "commands/CommandTable.h"
#include "commands/CommandIds.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace t8 {
namespace {

// The menu titles, or the items of one top-level menu, joined by "|": separators as "-",
// submenus as "[name]".
std::string MenuItems(std::string_view title = {}) {
    std::string items;
    bool inside = false;
    for (const auto& entry : MenuBar()) {
        using Kind = MenuEntry::Kind;
        if (entry.kind == Kind::MenuBegin) {
            inside = entry.text == title;
            items += title.empty() ? std::string(entry.text) + "|" : "";
        } else if (!inside) {
            continue;
        } else if (entry.kind == Kind::Item) {
            items += std::string(entry.text) + "|";
        } else if (entry.kind == Kind::Separator) {
            items += "-|";
        } else if (entry.kind == Kind::SubmenuBegin) {
            items += "[" + std::string(entry.text) + "]|";
        }
    }
    return items;
}

TEST(CommandTableTest, MenuBarOrderAndNesting) {
    EXPECT_EQ(MenuItems(),
              "&File|&View|&Device|&Memory|&Other|&Terminal|T&ransfer|&Preferences|&Help|");
    int depth = 0;
    for (const auto& entry : MenuBar()) {
        using Kind = MenuEntry::Kind;
        depth += entry.kind == Kind::MenuBegin || entry.kind == Kind::SubmenuBegin;
        depth -= entry.kind == Kind::MenuEnd || entry.kind == Kind::SubmenuEnd;
        ASSERT_GE(depth, 0);
        ASSERT_LE(depth, 2);
    }
    EXPECT_EQ(depth, 0);

    EXPECT_EQ(MenuItems("&Device"),
              "Select Device (CP)|Silicon signature (SS)|-|&Burn (BU)|CheckSum R&OM (CR)|"
              "&Compare (CO)|Dump ROM (DR)|E&mulate (EM)|&Load (LO)|&Pretest (PR)|&Erase (CE)|"
              "Quick Burn (QB)|Data protect (DP)|-|Configure device (SF)|-|"
              "[MCS51- specific function]|Burn lock bits. (LB)|Burn encryption array (BC)|"
              "Load encrypted (LC)|Compare enrypted (CC)|MCS51 silicon signature (SA)|-|"
              "[PLD specific commands]|Burn security (BS)|Power modes (PO)|-|[AVR commands...]|"
              "Advanced Load (AL)|Advanced Burn (AB)|Advanced Compare (AC)|Advanced Test (AT)|-|"
              "[Microchip specific (dsPIC)]|Edit configuration (SF)|Burn Executive (BE)|");
    EXPECT_EQ(MenuItems("T&ransfer"),
              "Upload EEPROM (T8>PC)\tF5|Download EEPROM (PC>T8)\tF6|&Receive file (T8>PC)\tF7|"
              "&Send file (PC>T8)\tF8|-|&Download library\tF9|");
    EXPECT_EQ(MenuItems("&Other"),
              "&Advanced Setup (AS)|&File Format (FF)|&Baud Rate (BA)|&Upload bytes per line (BL)|"
              "&Download sound (DS)|&Edit System RAM (ES)|&Self Test (ST)|-|&Load Library (LL)|"
              "&Make Library (ML)|&Receive Library (RL)\tF9|");
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
    for (const auto& [id, sent] : {std::pair<int, std::string_view>{32800, "SF"},
                                   {32849, "SF"},
                                   {cmd::kKeyUp, "X"},
                                   {cmd::kKeyDown, "Y"},
                                   {cmd::kKeyLeft, "\x08"},
                                   {cmd::kKeyRight, " "},
                                   {cmd::kKeyEsc, "\x1B"},
                                   {cmd::kKeyEnter, "\r"}}) {
        EXPECT_EQ(FindDeviceCommand(id)->sent, sent) << id;
    }
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
    for (const auto& [id, parts] : {std::pair{cmd::kBurn, "Burn the device.|Burn device."},
                                    {32795, "Select device by manufacturer and ID.|"},
                                    {cmd::kClearScreen, "Clear terminal window.|Clear screen."}}) {
        const PromptParts prompt = SplitPrompt(PromptFor(id));
        EXPECT_EQ(prompt.status + "|" + prompt.tooltip, parts) << id;
    }
    EXPECT_EQ(PromptFor(cmd::kExit), "");
    EXPECT_EQ(PlainMenuText("&Send file (PC>T8)\tF8"), "Send file (PC>T8)");
    EXPECT_EQ(PlainMenuText("&About T8HostLink....."), "About T8HostLink");
    EXPECT_EQ(PlainMenuText("Fish && chips"), "Fish & chips");
}

} // namespace
} // namespace t8
