#pragma once

#include "formats/ReaderBase.h"

#include <cstdint>

namespace t8 {

// Tektronix HEX: standard '/' records with their two nibble-sum checksums, and extended '%'
// records, whose checksum is not checked and whose type '8' ends the input.
class TekHexReader final : public ReaderBase {
public:
    using ReaderBase::ReaderBase;
    [[nodiscard]] bool Read() override;

private:
    RecordEnd ReadRecord(int startChar) override;
    RecordEnd ReadStandard();
    RecordEnd ReadExtended();
};

} // namespace t8
