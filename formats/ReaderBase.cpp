#include "formats/ReaderBase.h"

#include "formats/HexPairs.h"

#include <algorithm>
#include <utility>

namespace t8 {

ReaderBase::ReaderBase(MemoryImage& image_, ByteSource& source_, const ProgressFn& progress)
    : image(image_), source(source_), meter(&progress) {}

ReaderBase::ClassTable ReaderBase::MakeClasses(std::string_view recordStarts, bool highEndsInput) {
    ClassTable table{};
    for (int c = 0; c < 256; ++c) {
        CharClass cls = CharClass::Reject;
        if (c >= 0x80) {
            cls = highEndsInput ? CharClass::EndInput : CharClass::Reject;
        } else if (recordStarts.find(static_cast<char>(c)) != std::string_view::npos) {
            cls = CharClass::RecordStart;
        } else if (IsHexDigit(c) || IsSeparator(c)) {
            cls = CharClass::Skip;
        }
        table[static_cast<std::size_t>(c)] = cls;
    }
    return table;
}

void ReaderBase::Begin(bool resetEnd) {
    source.Rewind();
    if (resetEnd) {
        image.SetEndAddress(0);
    }
    meter.Start(source.Length());
}

bool ReaderBase::RunRecordLoop(const ClassTable& classes) {
    const bool read = RecordLoop(classes);
    LoadStaged();
    return read;
}

bool ReaderBase::RecordLoop(const ClassTable& classes) {
    for (;;) {
        const auto buffered = source.Buffered();
        if (buffered.empty()) {
            return true;
        }
        // A run of characters passed over goes at once, but never past the position of the
        // next percentage, so progress is reported exactly as a character at a time would.
        const std::uint64_t toProgress = meter.NextAt() - source.Position();
        const std::size_t limit =
            static_cast<std::size_t>(std::clamp<std::uint64_t>(toProgress, 1, buffered.size()));
        std::size_t skipped = 0;
        while (skipped < limit && classes[buffered[skipped]] == CharClass::Skip) {
            ++skipped;
        }
        const int c = buffered[0];
        source.Skip(skipped == 0 ? 1 : skipped);
        switch (skipped == 0 ? classes[buffered[0]] : CharClass::Skip) {
        case CharClass::RecordStart: {
            const RecordEnd end = ReadRecord(c);
            if (end == RecordEnd::Fail) {
                return false;
            }
            if (end == RecordEnd::EndInput) {
                RaiseEndAddress(); // a record cut off by the end of the file counts too
                return true;
            }
            break;
        }
        case CharClass::Skip:
            break;
        case CharClass::EndInput:
            return true;
        case CharClass::Reject:
            return false;
        }
        RaiseEndAddress();
        UpdateProgress();
        if (image.StopRequested()) {
            return false;
        }
    }
}

void ReaderBase::RaiseEndAddress() {
    if (image.EndAddress() < lastDataEnd) {
        image.SetEndAddress(lastDataEnd);
    }
}

void ReaderBase::FinishInput() {
    const std::uint64_t end = image.EndAddress();
    const std::uint64_t base = image.BaseAddress();
    image.SetLength(loadedData && end > base ? end - base : 0);
}

ReaderBase::RecordEnd ReaderBase::ReadRecord(int /*startChar*/) {
    return RecordEnd::Fail;
}

bool ReaderBase::ReadChars(std::size_t count, char* out) {
    for (std::size_t i = 0; i < count; ++i) {
        const int c = source.Next();
        if (c < 0) {
            return false;
        }
        out[i] = static_cast<char>(c);
    }
    return true;
}

bool ReaderBase::ReadHexByChars(std::size_t digits, std::uint32_t& value) {
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int c = source.Next();
        if (c < 0) {
            return false;
        }
        result = result * 16U + HexDigitValue(c);
    }
    value = result;
    return true;
}

std::uint32_t ReaderBase::LoadDataBytes(std::uint32_t address, std::uint32_t count,
                                        std::uint32_t& valueSum, std::uint32_t& digitSum) {
    if (count == 0) {
        return 0;
    }
    // A record whose digits all lie in the buffer goes in one piece.
    if (const auto buffered = source.Buffered();
        count <= kStageSize && buffered.size() >= 2 * std::size_t{count}) {
        std::uint8_t* out = StageFor(address, count);
        const HexPairSums sums = DecodeHexPairs(buffered.data(), count, out);
        source.Skip(2 * std::size_t{count});
        valueSum += sums.values;
        digitSum += sums.digits;
        // Bytes beyond the top of the address space stay outside the staged count.
        staged += static_cast<std::size_t>(
            std::min<std::uint64_t>(count, MemoryImage::kAddressSpace - address));
        loadedData = true;
        NoteDataEnd(address, count);
        return count;
    }
    return LoadDataByChunks(address, count, valueSum, digitSum);
}

std::uint32_t ReaderBase::LoadDataByChunks(std::uint32_t address, std::uint32_t count,
                                           std::uint32_t& valueSum, std::uint32_t& digitSum) {
    std::uint32_t loaded = 0;
    while (loaded < count) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint32_t>(count - loaded, kLoadChunk));
        const std::uint64_t first = std::uint64_t{address} + loaded;
        std::uint8_t* out = StageFor(first, want);
        std::size_t got = DecodeBuffered(out, want, valueSum, digitSum);
        bool ended = false;
        while (got < want) {
            const int high = source.Next();
            const int low = high < 0 ? -1 : source.Next();
            if (low < 0) {
                ended = true; // a byte cut short by the end of the file is not loaded
                break;
            }
            const std::uint32_t hi = HexDigitValue(high);
            const std::uint32_t lo = HexDigitValue(low);
            digitSum += hi + lo;
            out[got++] = static_cast<std::uint8_t>(hi * 16U + lo);
            valueSum += hi * 16U + lo;
        }
        // Bytes beyond the top of the address space stay outside the staged count.
        const std::uint64_t room =
            first < MemoryImage::kAddressSpace ? MemoryImage::kAddressSpace - first : 0;
        const auto placed = static_cast<std::size_t>(std::min<std::uint64_t>(got, room));
        if (placed > 0) {
            staged += placed;
            loadedData = true;
        }
        loaded += static_cast<std::uint32_t>(got);
        if (ended) {
            break;
        }
    }
    if (loaded > 0) {
        NoteDataEnd(address, loaded);
    }
    return loaded;
}

std::uint8_t* ReaderBase::StageFor(std::uint64_t address, std::size_t count) {
    // Loading the bytes of consecutive records together places them exactly as loading each
    // record in turn: the image and its segments take them in the same order.
    if (staged > 0 &&
        (std::uint64_t{stageAddress} + staged != address || staged + count > kStageSize)) {
        LoadStaged();
    }
    if (staged == 0) {
        stageAddress = static_cast<std::uint32_t>(address);
    }
    return stage.data() + staged;
}

void ReaderBase::LoadStaged() {
    if (staged > 0) {
        image.Load(stageAddress, stage.data(), staged);
        staged = 0;
    }
}

std::size_t ReaderBase::DecodeBuffered(std::uint8_t* out, std::size_t count,
                                       std::uint32_t& valueSum, std::uint32_t& digitSum) {
    const auto buffered = source.Buffered();
    if (buffered.size() < 2 * count) {
        return 0;
    }
    const HexPairSums sums = DecodeHexPairs(buffered.data(), count, out);
    source.Skip(2 * count);
    valueSum += sums.values;
    digitSum += sums.digits;
    return count;
}

ReaderBase::RecordEnd ReaderBase::FailRecord(std::string message) {
    image.SetStatusText(std::move(message));
    image.RequestStop();
    return RecordEnd::Fail;
}

} // namespace t8
