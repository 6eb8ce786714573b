#include "formats/checks/StreamCheck.h"

#include "formats/HexDigits.h"

namespace t8 {

namespace {

[[nodiscard]] bool IsSeparator(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

void StreamCheck::Check(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Step(bytes[i]);
    }
}

void StreamCheck::Step(std::uint8_t c) {
    const char marks[] = {recordMark, '\0'};
    if (!Admit(c, marks)) {
        return;
    }
    if (c == static_cast<std::uint8_t>(recordMark)) {
        BeginRecord();
    } else if (position > 0) {
        Field(c);
    }
    Advance();
}

void StreamCheck::CheckStreamEnd() {
    if (position >= 0) {
        Report(kCharacterErrors);
        EndRecord();
    }
}

bool StreamCheck::Admit(std::uint8_t c, std::string_view marks) {
    if (IsHexDigit(c) || IsSeparator(c) ||
        marks.find(static_cast<char>(c)) != std::string_view::npos) {
        return true;
    }
    Report(kCharacterErrors);
    return false;
}

void StreamCheck::BeginRecord() {
    if (position >= 0) {
        Report(kCharacterErrors);
    }
    sum = 0;
    byteCount = 0;
    byteValue = 0;
    position = 0;
}

void StreamCheck::Advance() {
    if (position >= 0) {
        ++position;
    }
}

bool StreamCheck::AddDigit(std::int32_t v, bool high) {
    if (high) {
        byteValue |= v * kHexBase;
        return false;
    }
    byteValue |= v;
    return true;
}

bool StreamCheck::CountByte(std::int32_t addend) {
    if (byteCount <= 0) {
        return false;
    }
    sum += addend;
    byteValue = 0;
    --byteCount;
    return true;
}

std::int32_t StreamCheck::ValueOf(std::uint8_t c) {
    return static_cast<std::int32_t>(HexDigitValue(c));
}

} // namespace t8
