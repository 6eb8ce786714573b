#include "formats/BinaryReader.h"

#include <array>
#include <cstdint>

namespace t8 {

bool BinaryReader::Read() {
    image_.RestartAt(0);
    image_.SetLength(0);
    Begin(false);
    std::array<std::uint8_t, kBlockSize> block{};
    std::uint32_t address = 0;
    for (;;) {
        const std::size_t got = source_.ReadBlock(block.data(), block.size());
        if (got == 0) {
            break;
        }
        image_.Load(address, block.data(), got);
        address += static_cast<std::uint32_t>(got);
        UpdateProgress();
        if (image_.StopRequested()) {
            return false;
        }
    }
    image_.SetLength(address);
    return true;
}

} // namespace t8
