#pragma once

#include "formats/RecordSpans.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace t8 {

struct PatchResult {
    std::vector<std::uint8_t> bytes; // the file with the new values in place
    std::string problem;             // why it could not be done; empty when it was
};

// Writes `values` from `address` on into the records of a file where they stand: only the
// digits of the bytes that change and the checksums of the records they are in are rewritten,
// each in the letter case it had, so the layout, address records and line ends stay as they
// were, and values the file already holds leave it byte for byte unchanged.
[[nodiscard]] PatchResult PatchRecords(std::span<const std::uint8_t> file,
                                       const std::vector<RecordSpan>& spans, std::uint32_t address,
                                       std::span<const std::uint8_t> values);

} // namespace t8
