#include "formats/checks/TekStreamCheck.h"

namespace t8 {

namespace {

constexpr char kStandardMark = '/';
constexpr char kExtendedMark = '%';
constexpr std::string_view kMarks = "/%";

constexpr std::int32_t kAddressEnd = 4;
constexpr std::int32_t kCountHigh = 5;
constexpr std::int32_t kCountLow = 6;
constexpr std::int32_t kCheckHigh = 7;
constexpr std::int32_t kCheckLow = 8;

constexpr std::int32_t kLengthHigh = 1;
constexpr std::int32_t kLengthLow = 2;
constexpr std::int32_t kType = 3;
constexpr std::int32_t kExtCheckHigh = 4;
constexpr std::int32_t kExtCheckLow = 5;
constexpr std::int32_t kLengthDigits = 2;
// Length, type, checksum and the address-length digit: the shortest record there is.
constexpr std::int32_t kExtendedMinLength = 6;

} // namespace

std::unique_ptr<StreamCheck> TekStreamCheck::Make() {
    return std::make_unique<TekStreamCheck>();
}

void TekStreamCheck::Step(std::uint8_t c) {
    if (!Admit(c, kMarks)) {
        return;
    }
    if (c == kStandardMark || c == kExtendedMark) {
        BeginRecord();
        checkByte = 0;
        kind = c == kStandardMark ? Kind::Standard : Kind::Extended;
    } else if (position > 0 && kind == Kind::Standard) {
        StandardField(ValueOf(c));
    } else if (position > 0) {
        ExtendedField(ValueOf(c));
    }
    Advance();
}

void TekStreamCheck::StandardField(std::int32_t v) {
    if (position <= kAddressEnd) {
        sum += v;
    } else if (position == kCountHigh) {
        byteCount = v * kHexBase;
        sum += v;
    } else if (position == kCountLow) {
        byteCount |= v;
        sum += v;
    } else if (position == kCheckHigh) {
        checkByte = v * kHexBase;
    } else if (position == kCheckLow) {
        checkByte |= v;
        if ((sum & kByteMask) != (checkByte & kByteMask)) {
            Report(kCharacterErrors);
            EndRecord();
        } else if (byteCount == 0) {
            EndRecord(); // a termination record has no data and no second checksum
        } else {
            sum = 0;
        }
    } else if (AddDigit(v, IsOdd(position)) &&
               !CountByte((byteValue / kHexBase) + (byteValue & kDigitMask))) {
        if ((sum & kByteMask) != byteValue) {
            Report(kCharacterErrors);
        }
        EndRecord();
    }
}

void TekStreamCheck::ExtendedField(std::int32_t v) {
    if (position == kLengthHigh) {
        byteCount = v * kHexBase;
        sum += v;
    } else if (position == kLengthLow) {
        byteCount |= v;
        sum += v;
        if (byteCount < kExtendedMinLength) {
            Report(kCharacterErrors); // too short to hold its own fields
            EndRecord();
            return;
        }
        byteCount -= kLengthDigits;
    } else if (position == kType) {
        sum += v;
        --byteCount;
    } else if (position == kExtCheckHigh) {
        checkByte = v * kHexBase;
        --byteCount;
    } else if (position == kExtCheckLow) {
        checkByte |= v;
        --byteCount;
    } else {
        sum += v;
        if (byteCount > 0) {
            --byteCount;
        }
        if (byteCount == 0) {
            if ((sum & kByteMask) != (checkByte & kByteMask)) {
                Report(kCharacterErrors);
            }
            EndRecord();
        }
    }
}

} // namespace t8
