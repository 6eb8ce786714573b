#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace t8 {

// An address range that received data; end is inclusive, sum counts loaded bytes only.
struct ImageSegment {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint32_t sum = 0;

    [[nodiscard]] std::uint64_t Length() const { return std::uint64_t{end} - start + 1; }
    bool operator==(const ImageSegment&) const = default;
};

// The segments in creation order. A loaded byte joins the first segment (in that order) whose
// window [start - 256, end + 256] holds it, a window bound that wraps being dropped. Instead of
// scanning the list per byte, a map of disjoint address spans remembers for every address the
// lowest-indexed window that holds it, so runs of bytes are placed with one lookup.
class SegmentList {
public:
    static constexpr std::uint32_t kMergeGap = 256;
    // Beyond this many segments with equal starts, ties are sorted stably instead of by the
    // exchange sort's quadratic walk.
    static constexpr std::size_t kExactSortLimit = 16384;

    SegmentList() = default;
    SegmentList(const SegmentList&) = default;
    SegmentList& operator=(const SegmentList&) = default;
    SegmentList(SegmentList&&) noexcept = default;
    SegmentList& operator=(SegmentList&&) noexcept = default;

    void Clear();
    // Accounts count bytes at consecutive addresses from address (wrapping modulo 2^32).
    void Add(std::uint32_t address, const std::uint8_t* values, std::size_t count);
    void AddByte(std::uint32_t address, std::uint8_t value) { Add(address, &value, 1); }

    // Ascending by start, ties ordered as the exchange sort leaves them.
    void SortSegments();
    // One pass: each segment absorbs at most the first later one it overlaps or touches.
    void MergeSegments();

    [[nodiscard]] const std::vector<ImageSegment>& Segments() const { return segments; }
    [[nodiscard]] std::size_t Size() const { return segments.size(); }
    [[nodiscard]] bool Empty() const { return segments.empty(); }

private:
    struct Span {
        std::uint32_t last;
        std::uint32_t owner;
    };
    static constexpr std::uint32_t kNoOwner = 0xFFFFFFFFU;
    static constexpr std::uint32_t kTopWindowStart = 0xFFFFFFFFU - kMergeGap + 1;

    struct Window {
        std::uint32_t low;
        std::uint32_t high;
    };
    [[nodiscard]] static Window WindowOf(const ImageSegment& segment);
    // Owner of address and the last address of its span; kNoOwner when no window holds it.
    [[nodiscard]] std::pair<std::uint32_t, std::uint32_t> Lookup(std::uint32_t address) const;
    std::uint32_t NewSegment(std::uint32_t address);
    void Grow(std::uint32_t index, std::uint32_t first, std::uint32_t last);
    void Paint(std::uint32_t low, std::uint32_t high, std::uint32_t owner);
    // Takes [low, high] from owner and gives each address to the next window that holds it.
    void Withdraw(std::uint32_t low, std::uint32_t high, std::uint32_t owner);
    void InsertSpan(std::uint32_t start, Span span);

    std::vector<ImageSegment> segments;
    std::map<std::uint32_t, Span> spans;
    std::vector<std::pair<std::uint32_t, Span>>
        scratch; // Paint's pieces, kept to spare allocations
    bool windowsValid = true;
};

} // namespace t8
