// The memory menu: commands that work on the RAM buffer.
#include "sim/device/CommandTable.h"
#include "sim/device/EditDialogue.h"
#include "sim/device/FieldDialogue.h"
#include "sim/device/RangeText.h"

#include <algorithm>
#include <array>
#include <vector>

namespace t8::sim {
namespace {

using Ptr = std::unique_ptr<Dialogue>;
using Typed = std::vector<std::string>;
// A command on a range and, where it takes one, a second value (a byte or an address).
using RangeAction = std::string (*)(Memory&, const AddressRange&, std::uint32_t value,
                                    DeviceState&);

constexpr std::size_t kRangeChars = 11;
constexpr std::size_t kAddressChars = 5;
constexpr std::size_t kByteChars = 2;
constexpr std::size_t kByteValues = 256;

struct RangeCommand {
    std::string rangePrompt;
    std::string valuePrompt; // empty: the command takes no second value
    std::size_t valueChars;
    RangeAction action;
};

Ptr Ask(DialogueContext& c, const RangeCommand& command) {
    std::vector<FieldStep> steps = {{command.rangePrompt, kRangeChars}};
    if (!command.valuePrompt.empty()) {
        steps.push_back({command.valuePrompt, command.valueChars});
    }
    const bool isByte = command.valueChars == kByteChars;
    return std::make_unique<FieldDialogue>(
        c, std::move(steps), [&c, command, isByte](const Typed& typed) -> std::string {
            const RangeResult result = ParseRangeText(typed[0], c.state.ram.Size());
            if (!result.error.empty()) {
                return result.error;
            }
            std::uint32_t value = 0;
            if (typed.size() > 1) {
                const auto parsed = ParseValueText(typed[1], isByte ? kByteValues : kRamSize);
                if (!parsed) {
                    return isByte ? "Bad byte value" : "Bad address";
                }
                value = *parsed;
            }
            return command.action(c.state.ram, result.range, value, c.state);
        });
}

std::string Checksum(Memory& ram, const AddressRange& range, std::uint32_t, DeviceState&) {
    return "Sum " + HexText(ram.Sum(range.first, range.Count()), 8);
}

std::string Dump(Memory& ram, const AddressRange& range, std::uint32_t, DeviceState&) {
    return DumpText(ram, range);
}

std::string Fill(Memory& ram, const AddressRange& range, std::uint32_t value, DeviceState&) {
    auto bytes = ram.Span(range.first, range.Count());
    std::fill(bytes.begin(), bytes.end(), static_cast<std::uint8_t>(value));
    return "Filled " + std::to_string(range.Count()) + " bytes with " + HexText(value, 2);
}

std::string Move(Memory& ram, const AddressRange& range, std::uint32_t to, DeviceState&) {
    if (!ram.Contains(to, range.Count())) {
        return "Destination ends beyond memory";
    }
    const std::vector<std::uint8_t> copy(ram.View(range.first, range.Count()).begin(),
                                         ram.View(range.first, range.Count()).end());
    ram.Write(to, copy);
    return "Moved " + std::to_string(range.Count()) + " bytes to " + HexText(to, 5);
}

std::string RandomFill(Memory& ram, const AddressRange& range, std::uint32_t, DeviceState& state) {
    std::uint32_t x = state.randomSeed;
    for (std::uint8_t& byte : ram.Span(range.first, range.Count())) {
        x ^= x << 13; // xorshift32: reproducible from run to run
        x ^= x >> 17;
        x ^= x << 5;
        byte = static_cast<std::uint8_t>(x);
    }
    state.randomSeed = x;
    return "Filled " + std::to_string(range.Count()) + " random bytes";
}

std::string Find(const Memory& ram, const AddressRange& range, std::uint32_t value, bool equal) {
    for (std::uint32_t address = range.first; address <= range.last; ++address) {
        if ((ram.At(address) == value) == equal) {
            return "Found " + HexText(ram.At(address), 2) + " at " + HexText(address, 5);
        }
    }
    return equal ? "Not found" : "All bytes are " + HexText(value, 2);
}

std::string Seek(Memory& ram, const AddressRange& range, std::uint32_t value, DeviceState&) {
    return Find(ram, range, value, true);
}

std::string SeekNot(Memory& ram, const AddressRange& range, std::uint32_t value, DeviceState&) {
    return Find(ram, range, value, false);
}

// Split puts the even bytes of a range, then the odd ones, at the destination (two 8-bit
// halves of 16-bit data); shuffle interleaves the two halves again.
std::string Interleave(Memory& ram, const AddressRange& range, std::uint32_t to, bool split) {
    const std::size_t count = range.Count();
    if (count % 2 != 0) {
        return "Range needs an even length";
    }
    if (!ram.Contains(to, count)) {
        return "Destination ends beyond memory";
    }
    const auto source = ram.View(range.first, count);
    std::vector<std::uint8_t> result(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t half = i / 2 + (i % 2) * (count / 2);
        if (split) {
            result[half] = source[i];
        } else {
            result[i] = source[half];
        }
    }
    ram.Write(to, result);
    return std::string(split ? "Split " : "Shuffled ") + std::to_string(count) + " bytes to " +
           HexText(to, 5);
}

std::string Split(Memory& ram, const AddressRange& range, std::uint32_t to, DeviceState&) {
    return Interleave(ram, range, to, true);
}

std::string Shuffle(Memory& ram, const AddressRange& range, std::uint32_t to, DeviceState&) {
    return Interleave(ram, range, to, false);
}

std::string Swap(Memory& ram, const AddressRange& range, std::uint32_t, DeviceState&) {
    if (range.Count() % 2 != 0) {
        return "Range needs an even length";
    }
    auto bytes = ram.Span(range.first, range.Count());
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        std::swap(bytes[i], bytes[i + 1]);
    }
    return "Swapped " + std::to_string(range.Count() / 2) + " byte pairs";
}

const std::array kCommands = {
    CommandEntry{"CH",
                 [](DialogueContext& c) {
                     return Ask(c, {"Checksum range ", "", 0, Checksum});
                 }},
    CommandEntry{"DU",
                 [](DialogueContext& c) {
                     return Ask(c, {"Dump range ", "", 0, Dump});
                 }},
    CommandEntry{"ED",
                 [](DialogueContext& c) -> Ptr {
                     return std::make_unique<EditDialogue>(c, c.state.ram, "Edit");
                 }},
    CommandEntry{"FI",
                 [](DialogueContext& c) {
                     return Ask(c, {"Fill range ", "Fill byte ", kByteChars, Fill});
                 }},
    CommandEntry{"MO",
                 [](DialogueContext& c) {
                     return Ask(c, {"Move range ", "Destination ", kAddressChars, Move});
                 }},
    CommandEntry{"RF",
                 [](DialogueContext& c) {
                     return Ask(c, {"Random fill range ", "", 0, RandomFill});
                 }},
    CommandEntry{"SK",
                 [](DialogueContext& c) {
                     return Ask(c, {"Seek range ", "Byte ", kByteChars, Seek});
                 }},
    CommandEntry{"SN",
                 [](DialogueContext& c) {
                     return Ask(c, {"Seek range ", "Byte not equal to ", kByteChars, SeekNot});
                 }},
    CommandEntry{"SP",
                 [](DialogueContext& c) {
                     return Ask(c, {"Split range ", "Destination ", kAddressChars, Split});
                 }},
    CommandEntry{"SH",
                 [](DialogueContext& c) {
                     return Ask(c, {"Shuffle range ", "Destination ", kAddressChars, Shuffle});
                 }},
    CommandEntry{"SW",
                 [](DialogueContext& c) {
                     return Ask(c, {"Swap range ", "", 0, Swap});
                 }},
};

} // namespace

std::span<const CommandEntry> MemoryCommands() {
    return kCommands;
}

} // namespace t8::sim
