#pragma once

#include "formats/ByteSource.h"
#include "formats/HexDigits.h"
#include "formats/MemoryImage.h"
#include "formats/ProgressMeter.h"
#include "formats/RecordSpans.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace t8 {

// What every reader shares: the character and field helpers over the buffered source, the base
// handling and loading of data records, the character loop between records, the after-record
// rule and progress. A reader is made for one run over one image and one source.
class ReaderBase {
public:
    // A record's data bytes that the buffer does not hold whole are decoded in pieces of this
    // size, whatever the record's count.
    static constexpr std::size_t kLoadChunk = 64;
    // Bytes that continue the ones before them gather up to this many before they are loaded,
    // so a file of short ascending records costs few loads.
    static constexpr std::size_t kStageSize = 4096;

    ReaderBase(MemoryImage& image_, ByteSource& source_, const ProgressFn& progress);
    virtual ~ReaderBase() = default;
    ReaderBase(const ReaderBase&) = delete;
    ReaderBase& operator=(const ReaderBase&) = delete;
    ReaderBase(ReaderBase&&) = delete;
    ReaderBase& operator=(ReaderBase&&) = delete;

    // True when the source is of this reader's format and was read without error.
    [[nodiscard]] virtual bool Read() = 0;
    // Notes where the data records that touch the watched range lie in the file.
    void WatchSpans(RecordSpans* spans_) { spans = spans_; }

protected:
    enum class CharClass : std::uint8_t { Reject, Skip, RecordStart, EndInput };
    using ClassTable = std::array<CharClass, 256>;
    enum class RecordEnd { Continue, EndInput, Fail };

    // Record starts begin records; hex digits, blank, LF, CR and BS are skipped; characters of
    // 0x80 and above end the input when highEndsInput, else they reject like any other.
    [[nodiscard]] static ClassTable MakeClasses(std::string_view recordStarts, bool highEndsInput);
    [[nodiscard]] static bool IsSeparator(int c) {
        return c == ' ' || c == '\n' || c == '\r' || c == '\b';
    }

    // Rewinds the source and starts progress; text readers also reset endAddress.
    void Begin(bool resetEnd);
    // The loop between records; false when the reader must return false. Everything the
    // records loaded is in the image when it returns.
    [[nodiscard]] bool RunRecordLoop(const ClassTable& classes);
    // Called with the record's start character; reads the rest of the record it needs.
    virtual RecordEnd ReadRecord(int startChar);

    // Field helpers: each returns false when the file ends inside the field.
    [[nodiscard]] bool ReadChars(std::size_t count, char* out);
    [[nodiscard]] bool ReadHex(std::size_t digits, std::uint32_t& value) {
        // The field as a whole from the buffer when it lies there, else a character at a time.
        if (const auto buffered = source.Buffered(); buffered.size() >= digits) {
            std::uint32_t result = 0;
            for (std::size_t i = 0; i < digits; ++i) {
                result = result * 16U + HexByteValue(buffered[i]);
            }
            source.Skip(digits);
            value = result;
            return true;
        }
        return ReadHexByChars(digits, value);
    }

    // Reads up to count two-digit data bytes and loads them from address on. Returns how many
    // were complete before the file ended; adds their values and digit values to the sums.
    // Bytes that would lie beyond the top of the address space are read and summed but not
    // loaded. The end of what it loaded is noted for endAddress, so the complete bytes of a
    // record cut off by the end of the file lie inside the image.
    std::uint32_t LoadDataBytes(std::uint32_t address, std::uint32_t count, std::uint32_t& valueSum,
                                std::uint32_t& digitSum);

    // Base handling of a data record: the first one sets the base (masked), a lower one lowers it.
    void PlaceRecord(std::uint32_t address, std::uint32_t firstBaseMask = 0xFFFFFFFFU) {
        if (image.BaseAddress() == MemoryImage::kNoBase) {
            image.SetBaseAddress(address & firstBaseMask);
        } else if (address < image.BaseAddress()) {
            image.LowerBase(address);
        }
    }
    // The end of the last data record, taken into endAddress by the after-record rule; a
    // record running past the top of the address space ends there.
    void NoteDataEnd(std::uint32_t address, std::uint64_t count) {
        lastDataEnd = std::min(address + count, MemoryImage::kAddressSpace);
    }
    RecordEnd FailRecord(std::string message);
    // End of input of the text readers: the image runs from the base to endAddress, except
    // that a run that loaded no byte leaves it empty, whatever address a record without data
    // placed the base at.
    void FinishInput();
    void UpdateProgress() { meter.Update(source.Position()); }
    void NoteSpan(const RecordSpan& span) {
        if (spans != nullptr) {
            spans->Note(span);
        }
    }
    // A complete hex record whose checksum's digits follow its data.
    void NoteHexRecord(std::uint32_t address, std::uint32_t count, std::uint64_t dataOffset,
                       SpanChecksum checksum) {
        NoteSpan({address, count, dataOffset, dataOffset + std::uint64_t{count} * 2,
                  SpanDigits::HexPairs, checksum});
    }

    MemoryImage& image;
    ByteSource& source;

private:
    [[nodiscard]] bool RecordLoop(const ClassTable& classes);
    [[nodiscard]] bool ReadHexByChars(std::size_t digits, std::uint32_t& value);
    // LoadDataBytes for a record cut by the buffer's end: kLoadChunk bytes at a time.
    std::uint32_t LoadDataByChunks(std::uint32_t address, std::uint32_t count,
                                   std::uint32_t& valueSum, std::uint32_t& digitSum);
    // Where count bytes for address go: after the staged ones when they continue them and
    // fit, else at the start of the stage, the staged ones loaded first.
    [[nodiscard]] std::uint8_t* StageFor(std::uint64_t address, std::size_t count);
    void LoadStaged();
    // Decodes count two-digit bytes into out at once when the source's buffer holds them all
    // (adding to the sums as LoadDataBytes does); 0, with nothing taken, when it does not.
    std::size_t DecodeBuffered(std::uint8_t* out, std::size_t count, std::uint32_t& valueSum,
                               std::uint32_t& digitSum);

    // The after-record rule: endAddress takes the last data record's end when that is higher.
    void RaiseEndAddress();

    ProgressMeter meter;
    RecordSpans* spans = nullptr;
    std::uint64_t lastDataEnd = 0;
    bool loadedData = false;
    std::uint32_t stageAddress = 0;
    std::size_t staged = 0;
    std::array<std::uint8_t, kStageSize> stage{};
};

} // namespace t8
