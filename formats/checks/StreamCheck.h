#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace t8 {

// Plausibility check of the text a receive stores, one class per format behind this interface:
// allowed characters and record checksums. It only reports; the data are saved whatever the
// verdict. The state lives here between calls, so a record may be split across blocks anywhere:
// every byte is judged the same whatever block it arrives in. The upload progress owns one per
// receive and feeds it from FeedReceive.
class StreamCheck {
public:
    static constexpr std::string_view kNoErrors = "No errors.";
    static constexpr std::string_view kCharacterErrors = "Download errors !";
    static constexpr std::string_view kSumErrors = "Download errors (SUM)!";

    // `mark` begins each record of a format with a single record mark; 0 for the others.
    explicit StreamCheck(char mark = 0) : recordMark(mark) {}
    StreamCheck(const StreamCheck&) = delete;
    StreamCheck& operator=(const StreamCheck&) = delete;
    virtual ~StreamCheck() = default;

    // The bytes of one received block.
    void Check(const std::uint8_t* bytes, std::size_t count);
    // The receive has ended (the device's prompt, silence or a cancel): a record still open
    // was cut off before its checksum, which is an error whatever format it is. The blocks
    // alone cannot tell, since the rest of a record may always be still to come. Safe to call
    // more than once; a later block starts afresh at its next record mark.
    void CheckStreamEnd();

    // The dialog's status line: kNoErrors until an error is found, then the last error's text.
    [[nodiscard]] std::string_view StatusText() const { return statusText; }
    [[nodiscard]] bool HasErrors() const { return statusText != kNoErrors; }

protected:
    // One character of the stream. The walk of a single-mark format: the mark begins a record
    // and every other admitted character of a record under way goes to Field.
    virtual void Step(std::uint8_t c);
    // A character of the record under way, after its mark.
    virtual void Field(std::uint8_t c) { (void)c; }

    // False (and the verdict set) for a character the format does not allow. A character that
    // is not allowed is passed over: the record goes on as if it had not come, so the verdict
    // cannot depend on where a block ends.
    bool Admit(std::uint8_t c, std::string_view marks);
    // A record mark: a record still open broke off before its checksum.
    void BeginRecord();
    void EndRecord() { position = -1; }
    void Advance();
    // Adds a digit to `byteValue`; true when it completed the byte (the low digit).
    bool AddDigit(std::int32_t v, bool high);
    // Adds a completed byte's share to `sum` unless it is the checksum; false for the checksum.
    bool CountByte(std::int32_t addend);
    void Report(std::string_view text) { statusText = text; }

    static std::int32_t ValueOf(std::uint8_t c);
    static bool IsOdd(std::int32_t n) { return (n & 1) != 0; }

    static constexpr std::int32_t kHexBase = 16;
    static constexpr std::int32_t kDigitMask = 0x0F;
    static constexpr std::int32_t kByteMask = 0xFF;
    static constexpr std::int32_t kByteRange = 0x100;

    std::int32_t checkByte = 0;
    std::int32_t byteCount = 0;
    std::int32_t byteValue = 0;
    std::int32_t sum = 0;
    std::int32_t position = -1; // index in the record, the mark being 0; -1 between records

private:
    char recordMark;
    std::string_view statusText = kNoErrors;
};

// A format's check, as its row in the format table makes it.
using StreamCheckFactory = std::unique_ptr<StreamCheck> (*)();

} // namespace t8
