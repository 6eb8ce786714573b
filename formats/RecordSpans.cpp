#include "formats/RecordSpans.h"

namespace t8 {

void RecordSpans::Note(const RecordSpan& span) {
    const std::uint64_t spanEnd = std::uint64_t{span.address} + span.count;
    if (span.count > 0 && span.address < end && spanEnd > first) {
        spans.push_back(span);
    }
}

bool RecordSpans::Covers() const {
    for (std::uint64_t address = first; address < end; ++address) {
        bool held = false;
        for (const RecordSpan& span : spans) {
            held = held ||
                   (address >= span.address && address < std::uint64_t{span.address} + span.count);
        }
        if (!held) {
            return false;
        }
    }
    return true;
}

} // namespace t8
