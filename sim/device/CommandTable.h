#pragma once

#include "sim/device/Dialogue.h"

#include <memory>
#include <span>
#include <string_view>

namespace t8::sim {

using DialogueFactory = std::unique_ptr<Dialogue> (*)(DialogueContext&);

struct CommandEntry {
    std::string_view letters;
    DialogueFactory make;
};

// The command groups, one per source file.
[[nodiscard]] std::span<const CommandEntry> ChipCommands();
[[nodiscard]] std::span<const CommandEntry> MemoryCommands();
[[nodiscard]] std::span<const CommandEntry> SystemCommands();

// The command with these two (upper-case) letters, or null.
[[nodiscard]] const CommandEntry* FindCommand(std::string_view letters);

} // namespace t8::sim
