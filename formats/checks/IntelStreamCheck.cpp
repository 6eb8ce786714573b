#include "formats/checks/IntelStreamCheck.h"

namespace t8 {

namespace {

// Character positions of the fields ahead of the data, the mark being 0.
constexpr std::int32_t kCountHigh = 1;
constexpr std::int32_t kCountLow = 2;
constexpr std::int32_t kFixedBytes = 3; // address and type, counted like data

} // namespace

std::unique_ptr<StreamCheck> IntelStreamCheck::Make() {
    return std::make_unique<IntelStreamCheck>();
}

void IntelStreamCheck::Field(std::uint8_t c) {
    std::int32_t v = ValueOf(c);
    if (position == kCountHigh) {
        byteCount |= v * kHexBase;
        return;
    }
    if (position == kCountLow) {
        v |= byteCount;
        sum += v;
        byteCount = v + kFixedBytes;
        return;
    }
    if (!AddDigit(v, IsOdd(position)) || CountByte(byteValue & kByteMask)) {
        return;
    }
    sum = kByteRange - (sum & kByteMask);
    if ((sum & kByteMask) != byteValue) {
        Report(kCharacterErrors);
    }
    EndRecord(); // a failed record is done with too: the next mark starts afresh
}

} // namespace t8
