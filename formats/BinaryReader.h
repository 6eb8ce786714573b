#pragma once

#include "formats/ReaderBase.h"

#include <cstddef>

namespace t8 {

// Binary: the file's bytes from address 0; accepts every file, failing only on a stop request.
class BinaryReader final : public ReaderBase {
public:
    static constexpr std::size_t kBlockSize = 512;

    using ReaderBase::ReaderBase;
    [[nodiscard]] bool Read() override;
};

} // namespace t8
