#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace t8 {

// Plausibility check of the text a receive stores: allowed characters and record checksums of
// Intel HEX, Motorola S, Tektronix (standard and extended) and ASCII hex. It only reports; the
// data are saved whatever the verdict. The state lives here between calls, so a record may be
// split across blocks anywhere: every byte is judged the same whatever block it arrives in.
// The upload progress dialog owns one per receive and feeds it from FeedReceive.
class StreamChecker {
public:
    static constexpr std::string_view kNoErrors = "No errors.";
    static constexpr std::string_view kCharacterErrors = "Download errors !";
    static constexpr std::string_view kSumErrors = "Download errors (SUM)!";

    // Each runs the bytes of one received block through its format's check.
    void CheckIntelStream(const std::uint8_t* bytes, std::size_t count);
    void CheckMotorolaStream(const std::uint8_t* bytes, std::size_t count);
    void CheckTekStream(const std::uint8_t* bytes, std::size_t count);
    void CheckAsciiStream(const std::uint8_t* bytes, std::size_t count);
    // The receive has ended (the device's prompt, silence or a cancel): a record still open
    // was cut off before its checksum, which is an error whatever format it is. The blocks
    // alone cannot tell, since the rest of a record may always be still to come. Safe to call
    // more than once; a later block starts afresh at its next record mark.
    void CheckStreamEnd();

    // Back to "No errors." with no record open, for the next receive.
    void Reset();

    // The dialog's status line: kNoErrors until an error is found, then the last error's text.
    [[nodiscard]] std::string_view StatusText() const { return statusText; }
    [[nodiscard]] bool HasErrors() const { return statusText != kNoErrors; }

private:
    enum class TekKind : std::int32_t { None = 0, Standard = 1, Extended = 2 };

    void StepIntel(std::uint8_t c);
    void StepMotorola(std::uint8_t c);
    void StepTek(std::uint8_t c);
    void IntelField(std::int32_t v);
    void MotorolaField(std::uint8_t c);
    void TekStandardField(std::int32_t v);
    void TekExtendedField(std::int32_t v);

    // False (and the verdict set) for a character the format does not allow.
    bool Admit(std::uint8_t c, std::string_view marks);
    void BeginRecord();
    void EndRecord() { position = -1; }
    void Advance();
    // Adds a digit to `byteValue`; true when it completed the byte (the low digit).
    bool AddDigit(std::int32_t v, bool high);
    // Adds a completed byte's share to `sum` unless it is the checksum; false for the checksum.
    bool CountByte(std::int32_t addend);
    void Report(std::string_view text) { statusText = text; }

    TekKind tekKind = TekKind::None;
    std::int32_t checkByte = 0;
    std::int32_t byteCount = 0;
    std::int32_t byteValue = 0;
    std::int32_t sum = 0;
    std::int32_t position = -1; // index in the record, the mark being 0; -1 between records
    std::string_view statusText = kNoErrors;
};

} // namespace t8
