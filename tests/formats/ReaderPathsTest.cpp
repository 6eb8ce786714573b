// The readers' quick ways against their plain ones: pairs decoded and bytes summed sixteen at
// once against one at a time, records whole in the buffer against a source that hands out a few
// characters at a time, and consecutive records loaded together against record by record.

#include "formats/ByteSum.h"
#include "formats/FormatRecognizer.h"
#include "formats/HexDigits.h"
#include "formats/HexPairs.h"
#include "tests/formats/TestRecords.h"

#include <gtest/gtest.h>

#include <random>

namespace t8::test {
namespace {

TEST(HexPairsTest, DecodesAsACharacterAtATime) {
    std::mt19937 random(5);
    const std::string digits = "0123456789abcdefABCDEF";
    for (int round = 0; round < 400; ++round) {
        std::size_t count = static_cast<std::size_t>(round % 80);
        Bytes text(2 * count);
        for (auto& c : text) {
            c = random() % 3 == 0 ? static_cast<std::uint8_t>(random())
                                  : static_cast<std::uint8_t>(digits[random() % digits.size()]);
        }
        if (round == 0) { // every byte value, high and low
            count = 256;
            for (int c = 0; c < 256; ++c) {
                text.insert(text.end(), {static_cast<std::uint8_t>(c), std::uint8_t(255 - c)});
            }
        }
        Bytes out(count + 1, 0xA5);
        const HexPairSums sums = DecodeHexPairs(text.data(), count, out.data());
        HexPairSums expected;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t high = HexDigitValue(text[2 * i]);
            const std::uint32_t low = HexDigitValue(text[2 * i + 1]);
            ASSERT_EQ(out[i], high * 16 + low) << round << " at " << i;
            expected.values += high * 16 + low;
            expected.digits += high + low;
        }
        EXPECT_EQ(out[count], 0xA5) << "written past the end";
        EXPECT_EQ(sums.values, expected.values);
        EXPECT_EQ(sums.digits, expected.digits);
    }
}

std::uint32_t Draw(std::mt19937& random, std::uint32_t bound) {
    return static_cast<std::uint32_t>(random() % bound);
}

TEST(HexPairsTest, ByteSumsAddAsOneAtATime) {
    Bytes bytes(100);
    std::mt19937 random(3);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random() | 0x80); // high values, so a lost carry shows
    }
    for (std::size_t from = 0; from < 3; ++from) {
        for (std::size_t count = 0; from + count <= bytes.size(); ++count) {
            const Bytes part(bytes.begin() + from, bytes.begin() + from + count);
            ASSERT_EQ(SumBytes(bytes.data() + from, count), ByteSum(part)) << from << "+" << count;
        }
    }
}

struct Loaded {
    std::uint32_t address;
    Bytes data;
};

// Records of one format, mostly continuing each other, some jumping, overlapping or running
// past the top of the address space.
std::string RandomFile(std::mt19937& random, int format, std::vector<Loaded>& loads) {
    std::string text = format == 0 ? IntelRecord(4, 0, {0xFF, 0xFF}) : "";
    // One Intel or extended Tek file in four starts just below the top and runs past it (the
    // top's single-byte segments make such files slow to account).
    const bool nearTop = (format == 0 || format == 3) && Draw(random, 4) == 0;
    std::uint32_t address = nearTop ? 0xFFFFF000U + Draw(random, 0xF00) : Draw(random, 0xF000);
    // A file in four runs on, rarely broken, beyond what the readers gather before loading.
    const std::uint32_t records =
        Draw(random, 4) == 0 ? 100 + Draw(random, 60) : 1 + Draw(random, 40);
    for (std::uint32_t r = records; r > 0; --r) {
        Bytes data(1 + random() % (format == 3 ? 120 : 90));
        for (auto& b : data) {
            b = static_cast<std::uint8_t>(random());
        }
        const std::uint32_t jump =
            Draw(random, records > 40 ? 200 : 8) == 0 ? Draw(random, 0x300) : 0;
        address = random() % 8 == 0 ? address - jump : address + jump;
        const std::uint32_t at = format == 0   ? 0xFFFF0000U | (address & 0xFFFF)
                                 : format == 1 ? address & 0xFFFFFF
                                 : format == 2 ? address & 0xFFFF
                                               : address;
        text += format == 0   ? IntelRecord(0, at & 0xFFFF, data)
                : format == 1 ? SRecord(2, at, data)
                : format == 2 ? TekRecord(at, data)
                              : TekExtended('6', at, data);
        loads.push_back({at, data});
        address += static_cast<std::uint32_t>(data.size());
    }
    return text;
}

struct Outcome {
    std::string status;
    std::uint32_t base = 0;
    std::uint64_t length = 0;
    std::vector<ImageSegment> segments;
    std::uint32_t checksum = 0;
    std::vector<int> progress;
    Bytes bytes; // the image's first 4 KiB
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* out) {
    *out << '"' << o.status << "\" base " << o.base << " length " << o.length << " checksum "
         << o.checksum << " segments";
    for (const ImageSegment& s : o.segments) {
        *out << ' ' << s.start << '-' << s.end << ':' << s.sum;
    }
    *out << " progress";
    for (const int p : o.progress) {
        *out << ' ' << p;
    }
}

Outcome Examine(MemoryImage& image, const std::string& text, std::size_t chunk) {
    const Bytes input = ToBytes(text);
    ByteSource source(input, chunk);
    Outcome outcome;
    (void)RecognizeSource(image, source, [&](int percent) { outcome.progress.push_back(percent); });
    // A failing reader's stop ends the readers after it at their first step, and a step passes
    // over what the buffer holds: their progress depends on the pieces.
    if (image.StopRequested()) {
        outcome.progress.clear();
    }
    outcome.status = image.StatusText();
    outcome.base = image.BaseAddress();
    outcome.length = image.Length();
    outcome.segments = image.Segments().Segments();
    outcome.checksum = image.ImageChecksum();
    outcome.bytes.resize(std::min<std::uint64_t>(image.Length(), 4096));
    image.ReadPositions(0, outcome.bytes);
    return outcome;
}

TEST(ReaderPathsTest, WholeRecordsReadAsPiecesDo) {
    std::mt19937 random(19);
    const std::string spoilers = "0F:S/%\r\n G\t\x80";
    for (int round = 0; round < 240; ++round) {
        SCOPED_TRACE(round);
        std::vector<Loaded> loads;
        std::string text = RandomFile(random, round % 4, loads);
        const bool spoilt = round % 3 != 0;
        for (int i = spoilt ? 1 + static_cast<int>(random() % 3) : 0; i > 0; --i) {
            text[random() % text.size()] = spoilers[random() % spoilers.size()];
        }
        MemoryImage whole;
        whole.SetFill(true, 0x5A);
        const Outcome expected = Examine(whole, text, 0);
        for (const std::size_t chunk : {1, 7}) {
            MemoryImage pieces;
            pieces.SetFill(true, 0x5A);
            ASSERT_EQ(Examine(pieces, text, chunk), expected) << "pieces of " << chunk;
        }
        if (spoilt) {
            continue;
        }
        // Unspoilt, the image holds each record's bytes, accounted record by record.
        SegmentList segments;
        for (const Loaded& load : loads) {
            const std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(
                load.data.size(), MemoryImage::kAddressSpace - load.address));
            segments.Add(load.address, load.data.data(), room);
        }
        ASSERT_EQ(expected.segments, segments.Segments());
        Bytes model(expected.bytes.size(), 0x5A);
        for (const Loaded& load : loads) {
            for (std::size_t i = 0; i < load.data.size(); ++i) {
                const std::uint64_t at = std::uint64_t{load.address} + i - expected.base;
                if (at < model.size()) {
                    model[at] = load.data[i];
                }
            }
        }
        EXPECT_EQ(expected.bytes, model);
    }
}

} // namespace
} // namespace t8::test
