#include "transfer/checks/StreamChecker.h"

#include "formats/HexDigits.h"

namespace t8 {
namespace {

constexpr std::string_view kIntelMarks = ":";
constexpr std::string_view kMotorolaMarks = "S";
constexpr char kTekStandardMark = '/';
constexpr char kTekExtendedMark = '%';
constexpr std::string_view kTekMarks = "/%";
constexpr char kMotorolaHeaderType = '0';

constexpr std::int32_t kHexBase = 16;
constexpr std::int32_t kDigitMask = 0x0F;
constexpr std::int32_t kByteMask = 0xFF;
constexpr std::int32_t kByteRange = 0x100;

// Character positions of the fields ahead of the data, the mark being 0.
constexpr std::int32_t kIntelCountHigh = 1;
constexpr std::int32_t kIntelCountLow = 2;
constexpr std::int32_t kIntelFixedBytes = 3; // address and type, counted like data

constexpr std::int32_t kMotorolaType = 1;
constexpr std::int32_t kMotorolaCountHigh = 2;
constexpr std::int32_t kMotorolaCountLow = 3;
constexpr std::int32_t kMotorolaChecksumBytes = 1; // the count includes the checksum

constexpr std::int32_t kTekAddressEnd = 4;
constexpr std::int32_t kTekCountHigh = 5;
constexpr std::int32_t kTekCountLow = 6;
constexpr std::int32_t kTekCheckHigh = 7;
constexpr std::int32_t kTekCheckLow = 8;

constexpr std::int32_t kTekLengthHigh = 1;
constexpr std::int32_t kTekLengthLow = 2;
constexpr std::int32_t kTekType = 3;
constexpr std::int32_t kTekExtCheckHigh = 4;
constexpr std::int32_t kTekExtCheckLow = 5;
constexpr std::int32_t kTekLengthDigits = 2;
// Length, type, checksum and the address-length digit: the shortest record there is.
constexpr std::int32_t kTekExtendedMinLength = 6;

[[nodiscard]] bool IsSeparator(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

[[nodiscard]] std::int32_t ValueOf(std::uint8_t c) {
    return static_cast<std::int32_t>(HexDigitValue(c));
}

[[nodiscard]] bool IsOdd(std::int32_t n) {
    return (n & 1) != 0;
}

} // namespace

void StreamChecker::CheckIntelStream(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        StepIntel(bytes[i]);
    }
}

void StreamChecker::CheckMotorolaStream(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        StepMotorola(bytes[i]);
    }
}

void StreamChecker::CheckTekStream(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        StepTek(bytes[i]);
    }
}

void StreamChecker::CheckAsciiStream(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Admit(bytes[i], {});
    }
}

void StreamChecker::CheckStreamEnd() {
    if (position >= 0) {
        Report(kCharacterErrors);
        EndRecord();
    }
}

void StreamChecker::Reset() {
    *this = StreamChecker{};
}

// A character that is not allowed is passed over: the record goes on as if it had not come,
// so the verdict cannot depend on where a block ends.
bool StreamChecker::Admit(std::uint8_t c, std::string_view marks) {
    if (IsHexDigit(c) || IsSeparator(c) ||
        marks.find(static_cast<char>(c)) != std::string_view::npos) {
        return true;
    }
    Report(kCharacterErrors);
    return false;
}

void StreamChecker::BeginRecord() {
    if (position >= 0) {
        Report(kCharacterErrors); // the previous record broke off before its checksum
    }
    sum = 0;
    byteCount = 0;
    byteValue = 0;
    position = 0;
}

void StreamChecker::Advance() {
    if (position >= 0) {
        ++position;
    }
}

bool StreamChecker::AddDigit(std::int32_t v, bool high) {
    if (high) {
        byteValue |= v * kHexBase;
        return false;
    }
    byteValue |= v;
    return true;
}

bool StreamChecker::CountByte(std::int32_t addend) {
    if (byteCount <= 0) {
        return false;
    }
    sum += addend;
    byteValue = 0;
    --byteCount;
    return true;
}

void StreamChecker::StepIntel(std::uint8_t c) {
    if (!Admit(c, kIntelMarks)) {
        return;
    }
    if (c == kIntelMarks.front()) {
        BeginRecord();
    } else if (position > 0) {
        IntelField(ValueOf(c));
    }
    Advance();
}

void StreamChecker::IntelField(std::int32_t v) {
    if (position == kIntelCountHigh) {
        byteCount |= v * kHexBase;
        return;
    }
    if (position == kIntelCountLow) {
        v |= byteCount;
        sum += v;
        byteCount = v + kIntelFixedBytes;
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

void StreamChecker::StepMotorola(std::uint8_t c) {
    if (!Admit(c, kMotorolaMarks)) {
        return;
    }
    if (c == kMotorolaMarks.front()) {
        BeginRecord();
    } else if (position > 0) {
        MotorolaField(c);
    }
    Advance();
}

void StreamChecker::MotorolaField(std::uint8_t c) {
    std::int32_t v = ValueOf(c);
    if (position == kMotorolaType) {
        if (c == kMotorolaHeaderType) {
            EndRecord(); // header records are not checked
        }
        return;
    }
    if (position == kMotorolaCountHigh) {
        byteCount |= v * kHexBase;
        return;
    }
    if (position == kMotorolaCountLow) {
        v |= byteCount;
        sum += v;
        byteCount = v - kMotorolaChecksumBytes;
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

void StreamChecker::StepTek(std::uint8_t c) {
    if (!Admit(c, kTekMarks)) {
        return;
    }
    if (c == kTekStandardMark || c == kTekExtendedMark) {
        BeginRecord();
        checkByte = 0;
        tekKind = c == kTekStandardMark ? TekKind::Standard : TekKind::Extended;
    } else if (position > 0 && tekKind == TekKind::Standard) {
        TekStandardField(ValueOf(c));
    } else if (position > 0) {
        TekExtendedField(ValueOf(c));
    }
    Advance();
}

// "/" AAAA LL C1 data C2, both checksums sums of digit values.
void StreamChecker::TekStandardField(std::int32_t v) {
    if (position <= kTekAddressEnd) {
        sum += v;
    } else if (position == kTekCountHigh) {
        byteCount = v * kHexBase;
        sum += v;
    } else if (position == kTekCountLow) {
        byteCount |= v;
        sum += v;
    } else if (position == kTekCheckHigh) {
        checkByte = v * kHexBase;
    } else if (position == kTekCheckLow) {
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

// "%" LL T CC N address data; LL counts the characters after the mark.
void StreamChecker::TekExtendedField(std::int32_t v) {
    if (position == kTekLengthHigh) {
        byteCount = v * kHexBase;
        sum += v;
    } else if (position == kTekLengthLow) {
        byteCount |= v;
        sum += v;
        if (byteCount < kTekExtendedMinLength) {
            Report(kCharacterErrors); // too short to hold its own fields
            EndRecord();
            return;
        }
        byteCount -= kTekLengthDigits;
    } else if (position == kTekType) {
        sum += v;
        --byteCount;
    } else if (position == kTekExtCheckHigh) {
        checkByte = v * kHexBase;
        --byteCount;
    } else if (position == kTekExtCheckLow) {
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
