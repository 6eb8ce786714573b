#include "sim/device/CommandTable.h"

#include <array>

namespace t8::sim {

const CommandEntry* FindCommand(std::string_view letters) {
    const std::array groups = {ChipCommands(), MemoryCommands(), SystemCommands()};
    for (const auto& group : groups) {
        for (const CommandEntry& entry : group) {
            if (entry.letters == letters) {
                return &entry;
            }
        }
    }
    return nullptr;
}

} // namespace t8::sim
