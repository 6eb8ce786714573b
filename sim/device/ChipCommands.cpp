// The device menu: commands that work on the chip in the socket.
#include "sim/device/ChoiceDialogue.h"
#include "sim/device/CommandTable.h"
#include "sim/device/ConfirmDialogue.h"
#include "sim/device/FieldDialogue.h"
#include "sim/device/RangeText.h"

#include <array>

namespace t8::sim {
namespace {

using Ptr = std::unique_ptr<Dialogue>;
using RangeAction = std::string (*)(DeviceState&, const AddressRange&);

constexpr std::size_t kRangeChars = 11; // "SSSSS,EEEEE"

std::string Chip(const DialogueContext& c) {
    return std::string(c.state.socket.Selected().name);
}

std::string ChipRamRange(const DialogueContext& c) {
    return "RAM 00000-" + HexText(c.state.socket.Selected().size - 1, 5);
}

Ptr Ask(DialogueContext& c, std::string question, ConfirmDialogue::Action action) {
    return std::make_unique<ConfirmDialogue>(c, std::move(question), std::move(action));
}

Ptr Tell(DialogueContext& c, ConfirmDialogue::Action action) {
    return Ask(c, {}, std::move(action));
}

Ptr ChipRange(DialogueContext& c, std::string prompt, RangeAction action) {
    return std::make_unique<FieldDialogue>(
        c, std::vector<FieldStep>{{std::move(prompt), kRangeChars}},
        [&c, action](const std::vector<std::string>& typed) {
            const RangeResult result = ParseRangeText(typed[0], c.state.socket.Selected().size);
            return result.error.empty() ? action(c.state, result.range) : result.error;
        });
}

std::string RangeName(const AddressRange& range) {
    return std::to_string(range.Count()) + " bytes at " + HexText(range.first, 5) + "-" +
           HexText(range.last, 5);
}

std::string LoadRange(DeviceState& state, const AddressRange& range) {
    state.ram.Write(range.first, state.socket.Contents().View(range.first, range.Count()));
    return "Loaded " + RangeName(range);
}

std::string BurnRange(DeviceState& state, const AddressRange& range) {
    state.socket.Contents().Write(range.first, state.ram.View(range.first, range.Count()));
    return "Burnt " + RangeName(range);
}

std::string CompareRange(DeviceState& state, const AddressRange& range) {
    for (std::uint32_t address = range.first; address <= range.last; ++address) {
        if (state.ram.At(address) != state.socket.Contents().At(address)) {
            return "Difference at " + HexText(address, 5);
        }
    }
    return "Compare OK - " + RangeName(range);
}

std::string DumpChip(DeviceState& state, const AddressRange& range) {
    return DumpText(state.socket.Contents(), range);
}

std::vector<std::string> ChipNames() {
    std::vector<std::string> names;
    for (const ChipType& type : ChipSocket::Types()) {
        names.push_back(std::string(type.name) + " (" + std::string(type.maker) + ")");
    }
    return names;
}

Ptr SelectDevice(DialogueContext& c) {
    ChoiceMenu menu{"Device", ChipNames(), c.state.socket.SelectedIndex(), false, {}};
    menu.confirm = [&c](std::size_t index) {
        c.state.socket.Select(index);
        return "Selected " + Chip(c);
    };
    return std::make_unique<ChoiceDialogue>(c, std::move(menu));
}

std::string Signature(const DialogueContext& c) {
    const ChipType& type = c.state.socket.Selected();
    return "Signature " + HexText(type.signature[0], 2) + " " + HexText(type.signature[1], 2);
}

const std::array kCommands = {
    CommandEntry{"CP", SelectDevice},
    CommandEntry{"SS",
                 [](DialogueContext& c) {
                     return Tell(c, [&c] { return Signature(c) + " - " + Chip(c) + " selected"; });
                 }},
    CommandEntry{"BU",
                 [](DialogueContext& c) {
                     return Ask(c, "Burn " + Chip(c) + " from " + ChipRamRange(c),
                                [&c] { return c.state.socket.Burn(c.state.ram, true); });
                 }},
    CommandEntry{
        "CR",
        [](DialogueContext& c) { return Tell(c, [&c] { return c.state.socket.Checksum(); }); }},
    CommandEntry{"CO",
                 [](DialogueContext& c) {
                     return Ask(c, "Compare " + Chip(c) + " with " + ChipRamRange(c),
                                [&c] { return c.state.socket.Compare(c.state.ram); });
                 }},
    CommandEntry{"DR",
                 [](DialogueContext& c) { return ChipRange(c, "Dump device range ", DumpChip); }},
    CommandEntry{"EM",
                 [](DialogueContext& c) {
                     return Ask(c, "Emulate " + Chip(c) + " from " + ChipRamRange(c),
                                [&c] { return "Emulation of " + Chip(c) + " running"; });
                 }},
    CommandEntry{"LO",
                 [](DialogueContext& c) {
                     return Ask(c, "Load " + Chip(c) + " into " + ChipRamRange(c),
                                [&c] { return c.state.socket.Load(c.state.ram); });
                 }},
    CommandEntry{"PR",
                 [](DialogueContext& c) {
                     return Ask(c, "Pretest " + Chip(c),
                                [&c] { return "Pins OK - " + c.state.socket.BlankCheck(); });
                 }},
    CommandEntry{"CE",
                 [](DialogueContext& c) {
                     return Ask(c, "Erase " + Chip(c), [&c] { return c.state.socket.Erase(); });
                 }},
    CommandEntry{"QB",
                 [](DialogueContext& c) {
                     return Ask(c, "Quick burn " + Chip(c) + " from " + ChipRamRange(c),
                                [&c] { return c.state.socket.Burn(c.state.ram, false); });
                 }},
    CommandEntry{"DP",
                 [](DialogueContext& c) {
                     return ChooseSetting(c, "Data protection", {"off", "on"}, c.state.protection);
                 }},
    CommandEntry{"SF",
                 [](DialogueContext& c) {
                     return ChooseSetting(c, "Configuration",
                                          {"oscillator XT", "oscillator HS", "oscillator RC",
                                           "watchdog on", "watchdog off"},
                                          c.state.configuration);
                 }},
    CommandEntry{
        "LB",
        [](DialogueContext& c) {
            return ChooseSetting(c, "Lock bits mode", {"1", "2", "3", "4"}, c.state.lockMode);
        }},
    CommandEntry{"BC",
                 [](DialogueContext& c) {
                     return Ask(c, "Burn encryption array of " + Chip(c),
                                [] { return std::string("Encryption array burnt"); });
                 }},
    CommandEntry{"LC",
                 [](DialogueContext& c) {
                     return Ask(c, "Load encrypted " + Chip(c) + " into " + ChipRamRange(c),
                                [&c] { return c.state.socket.Load(c.state.ram) + " decrypted"; });
                 }},
    CommandEntry{"CC",
                 [](DialogueContext& c) {
                     return Ask(c, "Compare encrypted " + Chip(c) + " with " + ChipRamRange(c),
                                [&c] { return c.state.socket.Compare(c.state.ram); });
                 }},
    CommandEntry{"SA",
                 [](DialogueContext& c) {
                     return Tell(c, [&c] { return "MCS51 " + Signature(c) + " FF"; });
                 }},
    CommandEntry{"BS",
                 [](DialogueContext& c) {
                     return Ask(c, "Burn security fuse of " + Chip(c),
                                [] { return std::string("Security fuse burnt"); });
                 }},
    CommandEntry{"PO",
                 [](DialogueContext& c) {
                     return ChooseSetting(c, "Power mode", {"normal", "low voltage", "off"},
                                          c.state.powerMode);
                 }},
    CommandEntry{"AL", [](DialogueContext& c) { return ChipRange(c, "Load range ", LoadRange); }},
    CommandEntry{"AB", [](DialogueContext& c) { return ChipRange(c, "Burn range ", BurnRange); }},
    CommandEntry{"AC",
                 [](DialogueContext& c) { return ChipRange(c, "Compare range ", CompareRange); }},
    CommandEntry{"AT",
                 [](DialogueContext& c) {
                     return Ask(c, "Test " + Chip(c),
                                [&c] { return "Test of " + Chip(c) + " passed"; });
                 }},
    CommandEntry{"BE",
                 [](DialogueContext& c) {
                     return Ask(c, "Burn executive into " + Chip(c),
                                [] { return std::string("Executive burnt"); });
                 }},
};

} // namespace

std::span<const CommandEntry> ChipCommands() {
    return kCommands;
}

} // namespace t8::sim
