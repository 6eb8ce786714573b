#include "formats/ReaderBase.h"

#include "formats/HexDigits.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace t8 {

namespace {
// The byte two characters stand for, indexed by the pair as one 16-bit number in the order
// they come (the first in the low bits); a character that is no digit counts as 0.
const std::array<std::uint8_t, 65536>& PairValues() {
    static const auto table = [] {
        auto values = std::make_unique<std::array<std::uint8_t, 65536>>();
        for (std::uint32_t first = 0; first < 256; ++first) {
            for (std::uint32_t second = 0; second < 256; ++second) {
                (*values)[first | second << 8] =
                    static_cast<std::uint8_t>(HexByteValue(static_cast<std::uint8_t>(first)) * 16U +
                                              HexByteValue(static_cast<std::uint8_t>(second)));
            }
        }
        return values;
    }();
    return *table;
}

std::uint32_t PairIndex(const std::uint8_t* pair) {
    return std::uint32_t{pair[0]} | std::uint32_t{pair[1]} << 8;
}
} // namespace

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

bool ReaderBase::ReadHex(std::size_t digits, std::uint32_t& value) {
    std::uint32_t result = 0;
    // The field as a whole from the buffer when it lies there, else a character at a time.
    if (const auto buffered = source.Buffered(); buffered.size() >= digits) {
        const std::uint8_t* text = buffered.data();
        std::size_t i = digits % 2;
        result = i == 0 ? 0U : HexByteValue(text[0]);
        for (const auto& pairs = PairValues(); i < digits; i += 2) {
            result = result << 8U | pairs[PairIndex(text + i)];
        }
        source.Skip(digits);
        value = result;
        return true;
    }
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
    std::array<std::uint8_t, kLoadChunk> chunk{};
    std::uint32_t loaded = 0;
    while (loaded < count) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint32_t>(count - loaded, kLoadChunk));
        std::size_t got = DecodeBuffered(chunk.data(), want, valueSum, digitSum);
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
            chunk[got++] = static_cast<std::uint8_t>(hi * 16U + lo);
            valueSum += hi * 16U + lo;
        }
        const std::uint64_t first = std::uint64_t{address} + loaded;
        const std::uint64_t room =
            first < MemoryImage::kAddressSpace ? MemoryImage::kAddressSpace - first : 0;
        const auto placed = static_cast<std::size_t>(std::min<std::uint64_t>(got, room));
        if (placed > 0) {
            image.Load(static_cast<std::uint32_t>(first), chunk.data(), placed);
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

std::size_t ReaderBase::DecodeBuffered(std::uint8_t* out, std::size_t count,
                                       std::uint32_t& valueSum, std::uint32_t& digitSum) {
    const auto buffered = source.Buffered();
    if (buffered.size() < 2 * count) {
        return 0;
    }
    const std::array<std::uint8_t, 65536>& pairs = PairValues();
    const std::uint8_t* digits = buffered.data();
    std::uint32_t values = 0;
    std::uint32_t highDigits = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = pairs[PairIndex(digits + 2 * i)];
        out[i] = byte;
        values += byte;
        highDigits += byte >> 4U;
    }
    // Each byte is 16 * high + low, so the digits add up to the values less 15 times the highs.
    const std::uint32_t digitValues = values - 15U * highDigits;
    source.Skip(2 * count);
    valueSum += values;
    digitSum += digitValues;
    return count;
}

void ReaderBase::PlaceRecord(std::uint32_t address, std::uint32_t firstBaseMask) {
    if (image.BaseAddress() == MemoryImage::kNoBase) {
        image.SetBaseAddress(address & firstBaseMask);
    } else if (address < image.BaseAddress()) {
        image.LowerBase(address);
    }
}

ReaderBase::RecordEnd ReaderBase::FailRecord(std::string message) {
    image.SetStatusText(std::move(message));
    image.RequestStop();
    return RecordEnd::Fail;
}

} // namespace t8
