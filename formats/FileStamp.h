#pragma once

#include "formats/TransferFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace t8 {

struct StampResult {
    TransferFormat format = TransferFormat::FormatUndetermined;
    std::vector<std::uint8_t> bytes; // the file with the values in place
    std::string problem;             // for the operator; empty when stamped
};

// Recognises the file's format as the examination does, and writes `values` at `address` into
// the records that hold those addresses, in place (PatchRecords). Refused when the file is of
// no format or holds no data at one of the addresses. The result is read back with the same
// reader and must hold the values and, everywhere else, what the file held.
[[nodiscard]] StampResult StampFile(std::span<const std::uint8_t> file, std::uint32_t address,
                                    std::span<const std::uint8_t> values);

} // namespace t8
