#pragma once

#include "formats/ReaderBase.h"

#include <cstdint>

namespace t8 {

// Intel HEX: data records (00) and the extended segment (02) and linear (04) address records;
// every other type is passed over, and any record with count 00 ends the input.
class IntelHexReader final : public ReaderBase {
public:
    using ReaderBase::ReaderBase;
    [[nodiscard]] bool Read() override;

private:
    RecordEnd ReadRecord(int startChar) override;
    RecordEnd ReadData(std::uint32_t count, std::uint32_t offset);
    RecordEnd ReadUpperAddress(unsigned shift);

    std::uint32_t upperAddress = 0;
    bool recordSeen = false;
};

} // namespace t8
