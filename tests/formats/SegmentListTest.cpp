// The segment list against a literal model: a linked list searched from its head for every
// byte, the exchange sort and the merge pass as the examination defines them.

#include "formats/SegmentList.h"
#include "formats/HexDigits.h"

#include <gtest/gtest.h>

#include <list>
#include <random>

namespace t8 {
namespace {

struct ModelList {
    std::list<ImageSegment> segments;

    void AddByte(std::uint32_t a, std::uint8_t value) {
        for (ImageSegment& s : segments) {
            const bool inside = s.start <= a && a <= s.end;
            const bool below = s.start >= 256 && s.start - 256 <= a && a <= s.start;
            const bool above = s.end <= 0xFFFFFFFFU - 256 && s.end <= a && a <= s.end + 256;
            if (inside || below || above) {
                s.start = std::min(s.start, a);
                s.end = std::max(s.end, a);
                s.sum += value;
                return;
            }
        }
        segments.push_back({a, a, value});
    }
    void Sort() {
        for (auto i = segments.begin(); i != segments.end(); ++i) {
            for (auto j = i; j != segments.end(); ++j) {
                if (j->start <= i->start) {
                    std::swap(*i, *j);
                }
            }
        }
    }
    void Merge() {
        for (auto i = segments.begin(); i != segments.end(); ++i) {
            for (auto j = std::next(i); j != segments.end(); ++j) {
                const auto d1 = std::int64_t{i->start} - j->end;
                const auto d2 = std::int64_t{i->end} - j->start;
                const bool overlap = j->start <= i->end && i->start <= j->end;
                if (overlap || d1 == 1 || d1 == -1 || d2 == 1 || d2 == -1) {
                    i->start = std::min(i->start, j->start);
                    i->end = std::max(i->end, j->end);
                    i->sum += j->sum;
                    segments.erase(j);
                    break;
                }
            }
        }
    }
    [[nodiscard]] std::vector<ImageSegment> Vector() const {
        return {segments.begin(), segments.end()};
    }
};

TEST(SegmentListTest, MatchesTheLiteralModelOnRandomLoads) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        ModelList model;
        SegmentList list;
        // Clusters near 0, in the middle and at the top, so windows meet, overlap and wrap.
        const std::uint32_t bases[3] = {0, 0x8000, 0xFFFFF000U};
        const int records = 1 + static_cast<int>(random() % 60);
        for (int r = 0; r < records; ++r) {
            const std::uint32_t address =
                bases[random() % 3] + static_cast<std::uint32_t>(random() % 0x1400);
            std::vector<std::uint8_t> data(1 + random() % 40);
            for (auto& b : data) {
                b = static_cast<std::uint8_t>(random());
            }
            list.Add(address, data.data(), data.size());
            for (std::size_t i = 0; i < data.size(); ++i) {
                model.AddByte(address + static_cast<std::uint32_t>(i), data[i]);
            }
            ASSERT_EQ(list.Segments(), model.Vector());
        }
        list.SortSegments();
        model.Sort();
        ASSERT_EQ(list.Segments(), model.Vector());
        for (int pass = 0; pass < 2; ++pass) {
            list.MergeSegments();
            model.Merge();
            ASSERT_EQ(list.Segments(), model.Vector());
        }
    }
}

TEST(SegmentListTest, OrdersEqualStartsAsTheExchangeSortDoes) {
    // Lower-indexed segments grow down onto later ones' starts: three segments start at 0xE00.
    SegmentList list;
    ModelList model;
    for (const std::uint32_t a : {0x2000U, 0x1000U, 0xE00U, 0xF00U, 0xE00U}) {
        list.AddByte(a, 1);
        model.AddByte(a, 1);
    }
    for (std::uint32_t a = 0x1F00; a >= 0xE00; a -= 0x80) {
        list.AddByte(a, 2);
        model.AddByte(a, 2);
    }
    list.SortSegments();
    model.Sort();
    EXPECT_EQ(list.Segments(), model.Vector());
    EXPECT_EQ(list.Segments()[0].start, list.Segments()[1].start);
}

TEST(SegmentListTest, ManySeparateSegmentsStayFast) {
    SegmentList list;
    const std::uint8_t value = 1;
    for (std::uint32_t i = 0; i < 200000; ++i) {
        list.Add(i * 1000, &value, 1);
    }
    list.SortSegments();
    list.MergeSegments();
    EXPECT_EQ(list.Size(), 200000U);
}

TEST(HexDigitsTest, ConvertsAsTheReadersNeed) {
    EXPECT_EQ(HexToUInt("1G"), 0x10U);
    EXPECT_EQ(HexToUInt(""), 0U);
    EXPECT_EQ(HexToUInt("123456789"), 0x23456789U);
    EXPECT_EQ(HexToUInt("abcdef", 4), 0xABCDU);
    EXPECT_EQ(HexDigitSum("10000203"), 6U);
    EXPECT_TRUE(IsHexDigit('f'));
    EXPECT_FALSE(IsHexDigit('g'));
    EXPECT_FALSE(IsHexDigit(-1));
    EXPECT_EQ(HexDigitValue(':'), 0U);
}

} // namespace
} // namespace t8
