#pragma once

#include "formats/ReaderBase.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace t8 {

// ASCII hex: two-digit bytes loaded at consecutive addresses from 0, separated by blanks and
// line ends or not at all.
class AsciiHexReader final : public ReaderBase {
public:
    // Consecutive bytes are gathered and loaded in runs of at most this many.
    static constexpr std::size_t kRunSize = 4096;

    using ReaderBase::ReaderBase;
    [[nodiscard]] bool Read() override;

private:
    void Flush();

    std::array<std::uint8_t, kRunSize> run{};
    std::size_t runLength = 0;
    std::uint32_t counter = 0;
};

} // namespace t8
