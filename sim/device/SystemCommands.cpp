// The other menu and the transfer commands.
#include "sim/device/ChoiceDialogue.h"
#include "sim/device/CommandTable.h"
#include "sim/device/ConfirmDialogue.h"
#include "sim/device/EditDialogue.h"
#include "sim/device/FieldDialogue.h"
#include "sim/device/RangeText.h"
#include "sim/device/ReceiveDialogue.h"
#include "sim/device/SendDialogue.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace t8::sim {
namespace {

using Ptr = std::unique_ptr<Dialogue>;
constexpr std::size_t kCountChars = 3;

Ptr Tell(DialogueContext& c, ConfirmDialogue::Action action) {
    return std::make_unique<ConfirmDialogue>(c, std::string(), std::move(action));
}

Ptr FileFormat(DialogueContext& c) {
    std::vector<std::string> names;
    for (const Format format : kFormatOrder) {
        names.emplace_back(InfoOf(format).name);
    }
    const auto current = std::find(kFormatOrder.begin(), kFormatOrder.end(), c.state.format);
    ChoiceMenu menu{
        "File format", names, static_cast<std::size_t>(current - kFormatOrder.begin()), false, {}};
    menu.confirm = [&c](std::size_t index) {
        c.state.format = kFormatOrder[index];
        return "File format " + std::string(InfoOf(c.state.format).name);
    };
    return std::make_unique<ChoiceDialogue>(c, std::move(menu));
}

Ptr BaudRate(DialogueContext& c) {
    std::vector<std::string> rates;
    for (const std::uint32_t rate : kBaudSteps) {
        rates.push_back(std::to_string(rate));
    }
    const auto current = std::find(kBaudSteps.begin(), kBaudSteps.end(), c.state.baudRate);
    const auto index = current == kBaudSteps.end()
                           ? std::size_t{0}
                           : static_cast<std::size_t>(current - kBaudSteps.begin());
    // ESC confirms as ENTER does: the host ends its stepping with ESC
    ChoiceMenu menu{"Baud rate", rates, index, true, {}};
    menu.confirm = [&c](std::size_t chosen) {
        c.state.pendingBaudRate = kBaudSteps[chosen];
        return "Baud rate " + std::to_string(kBaudSteps[chosen]);
    };
    return std::make_unique<ChoiceDialogue>(c, std::move(menu));
}

Ptr BytesPerRecord(DialogueContext& c) {
    const std::string prompt = "Bytes per record (1-" + std::to_string(kMaxBytesPerRecord) +
                               ") now " + std::to_string(c.state.bytesPerRecord) + " ";
    return std::make_unique<FieldDialogue>(
        c, std::vector<FieldStep>{{prompt, kCountChars}},
        [&c](const std::vector<std::string>& typed) -> std::string {
            const std::string& text = typed[0];
            std::size_t value = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size() || value == 0 ||
                value > kMaxBytesPerRecord) {
                return "Give 1 to " + std::to_string(kMaxBytesPerRecord);
            }
            c.state.bytesPerRecord = value;
            return std::to_string(value) + " bytes per record";
        });
}

std::string LibraryStatus(const DeviceState& state) {
    if (!state.libraryLoaded) {
        return "No library loaded - send one with RL";
    }
    const std::string running =
        " and running at " + std::to_string(state.libraryBaudRate) + " baud";
    return "Library of " + std::to_string(state.libraryRecords) + " records loaded" +
           (state.libraryRunning ? running : std::string());
}

std::string MakeLibrary(DeviceState& state) {
    state.library.Write(0, state.ram.View(0, kLibrarySize));
    state.libraryLoaded = true;
    state.libraryRecords = kLibrarySize / state.bytesPerRecord;
    return "Library made from RAM 00000-" + HexText(kLibrarySize - 1, 5);
}

const std::array kCommands = {
    CommandEntry{"AS",
                 [](DialogueContext& c) {
                     return ChooseSetting(c, "Supply", {"Vcc 5.0 V", "Vcc 3.3 V", "Vcc 2.5 V"},
                                          c.state.setup);
                 }},
    CommandEntry{"FF", FileFormat},
    CommandEntry{"BA", BaudRate},
    CommandEntry{"BL", BytesPerRecord},
    CommandEntry{"DS",
                 [](DialogueContext& c) {
                     return ChooseSetting(c, "Download sound", {"on", "off"}, c.state.sound);
                 }},
    CommandEntry{"ES",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<EditDialogue>(c, c.state.systemRam, "System RAM");
                 }},
    CommandEntry{"ST",
                 [](DialogueContext& c) {
                     return Tell(c, [] {
                         return std::string("Self test passed - RAM 1024 KiB EEPROM 64 KiB");
                     });
                 }},
    CommandEntry{
        "LL", [](DialogueContext& c) { return Tell(c, [&c] { return LibraryStatus(c.state); }); }},
    CommandEntry{"ML",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<ConfirmDialogue>(
                         c, "Make library from RAM", [&c] { return MakeLibrary(c.state); });
                 }},
    CommandEntry{"RE",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<ReceiveDialogue>(c, ReceiveDialogue::Target::Ram);
                 }},
    CommandEntry{"RX",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<ReceiveDialogue>(c, ReceiveDialogue::Target::Eeprom);
                 }},
    CommandEntry{"RL",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<ReceiveDialogue>(c, ReceiveDialogue::Target::Library);
                 }},
    CommandEntry{"SE",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<SendDialogue>(c, c.state.ram, "data");
                 }},
    CommandEntry{"SX",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<SendDialogue>(c, c.state.eeprom, "EEPROM data");
                 }},
};

} // namespace

std::span<const CommandEntry> SystemCommands() {
    return kCommands;
}

} // namespace t8::sim
