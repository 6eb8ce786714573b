#include "formats/checks/MotorolaStreamCheck.h"

namespace t8 {

namespace {

constexpr char kHeaderType = '0';
constexpr std::int32_t kType = 1;
constexpr std::int32_t kCountHigh = 2;
constexpr std::int32_t kCountLow = 3;
constexpr std::int32_t kChecksumBytes = 1; // the count includes the checksum

} // namespace

std::unique_ptr<StreamCheck> MotorolaStreamCheck::Make() {
    return std::make_unique<MotorolaStreamCheck>();
}

void MotorolaStreamCheck::Field(std::uint8_t c) {
    std::int32_t v = ValueOf(c);
    if (position == kType) {
        if (c == kHeaderType) {
            EndRecord(); // header records are not checked
        }
        return;
    }
    if (position == kCountHigh) {
        byteCount |= v * kHexBase;
        return;
    }
    if (position == kCountLow) {
        v |= byteCount;
        sum += v;
        byteCount = v - kChecksumBytes;
        return;
    }
    if (!AddDigit(v, !IsOdd(position)) || CountByte(byteValue & kByteMask)) {
        return;
    }
    sum = ~(sum & kByteMask);
    if ((sum & kByteMask) != byteValue) {
        Report(kSumErrors);
    }
    EndRecord();
}

} // namespace t8
