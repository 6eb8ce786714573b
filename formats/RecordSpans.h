#pragma once

#include <cstdint>
#include <vector>

namespace t8 {

// How a data record's bytes stand in the file and what its checksum counts, so that a byte can
// be changed where it stands and the checksum follow it without rewriting the record.
enum class SpanDigits : std::uint8_t { Raw, HexPairs };
enum class SpanChecksum : std::uint8_t {
    None,
    NegatedValueSum, // falls as the byte values rise (two's or ones' complement of their sum)
    DigitSum,        // the sum of the data characters' hex-digit values
    CharSum,         // the sum of the record characters' values in the 64-character alphabet
};

// Where the data bytes of one record lie in its file.
struct RecordSpan {
    std::uint32_t address = 0;
    std::uint32_t count = 0;
    std::uint64_t dataOffset = 0;     // of the first data byte (its first digit)
    std::uint64_t checksumOffset = 0; // of the checksum's first digit, when it has one
    SpanDigits digits = SpanDigits::HexPairs;
    SpanChecksum checksum = SpanChecksum::None;
};

// The records a reader met that touch one address range [first, end): only those are kept, so
// watching a few bytes of a large file costs a few records.
class RecordSpans {
public:
    RecordSpans(std::uint32_t first_, std::uint64_t end_) : first(first_), end(end_) {}

    void Note(const RecordSpan& span);
    void Clear() { spans.clear(); }
    [[nodiscard]] const std::vector<RecordSpan>& Spans() const { return spans; }
    [[nodiscard]] std::uint32_t First() const { return first; }
    [[nodiscard]] std::uint64_t End() const { return end; }
    // Every address of the range lies in a record: the file holds data there.
    [[nodiscard]] bool Covers() const;

private:
    std::uint32_t first;
    std::uint64_t end;
    std::vector<RecordSpan> spans;
};

} // namespace t8
