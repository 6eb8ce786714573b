#include "formats/BinaryReader.h"

#include <array>
#include <cstdint>

namespace t8 {

bool BinaryReader::Read() {
    image.RestartAt(0);
    image.SetLength(0);
    Begin(false);
    std::array<std::uint8_t, kBlockSize> block{};
    std::uint32_t address = 0;
    for (;;) {
        const std::size_t got = source.ReadBlock(block.data(), block.size());
        if (got == 0) {
            break;
        }
        image.Load(address, block.data(), got);
        NoteSpan({address, static_cast<std::uint32_t>(got), address, 0, SpanDigits::Raw,
                  SpanChecksum::None});
        address += static_cast<std::uint32_t>(got);
        UpdateProgress();
        if (image.StopRequested()) {
            return false;
        }
    }
    image.SetLength(address);
    return true;
}

} // namespace t8
