#pragma once

#include "formats/ReaderBase.h"

#include <cstdint>

namespace t8 {

// Motorola S-records: S1 and S2 data are loaded, S0 is skipped to its line end, S8 and S9 end
// the input, every other type (S3 included) is passed over.
class MotorolaReader final : public ReaderBase {
public:
    using ReaderBase::ReaderBase;
    [[nodiscard]] bool Read() override;

private:
    RecordEnd ReadRecord(int startChar) override;
    RecordEnd SkipHeader();
    RecordEnd ReadData(std::uint32_t addressBytes);
};

} // namespace t8
