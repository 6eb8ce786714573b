#include "formats/SegmentList.h"

#include "formats/ByteSum.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace t8 {

void SegmentList::Clear() {
    segments.clear();
    spans.clear();
    windowsValid = true;
}

SegmentList::Window SegmentList::WindowOf(const ImageSegment& segment) {
    const std::uint32_t low =
        segment.start >= kMergeGap ? segment.start - kMergeGap : segment.start;
    const std::uint32_t high =
        segment.end <= 0xFFFFFFFFU - kMergeGap ? segment.end + kMergeGap : segment.end;
    return {low, high};
}

std::pair<std::uint32_t, std::uint32_t> SegmentList::Lookup(std::uint32_t address) const {
    auto it = spans.upper_bound(address);
    if (it == spans.begin()) {
        return {kNoOwner, 0};
    }
    --it;
    if (it->second.last < address) {
        return {kNoOwner, 0};
    }
    return {it->second.owner, it->second.last};
}

void SegmentList::Add(std::uint32_t address, const std::uint8_t* values, std::size_t count) {
    if (!windowsValid) {
        // Adding after a sort would place bytes by the sorted order; rebuild the windows.
        const auto kept = std::move(segments);
        Clear();
        for (const ImageSegment& segment : kept) {
            const auto index = static_cast<std::uint32_t>(segments.size());
            segments.push_back(segment);
            const Window window = WindowOf(segment);
            Paint(window.low, window.high, index);
        }
    }
    while (count > 0) {
        auto [owner, spanLast] = Lookup(address);
        if (owner == kNoOwner) {
            owner = NewSegment(address);
            spanLast = Lookup(address).second;
        }
        // Every address of the span goes to its owner: only the owner's window grows meanwhile.
        std::uint64_t runLast =
            std::min<std::uint64_t>(spanLast, std::uint64_t{address} + count - 1);
        // Once a segment ends in the top 256 addresses its window stops at its end: the byte
        // that takes it there is the last one it can take beyond its end.
        const std::uint64_t topReach =
            std::max<std::uint64_t>(segments[owner].end, kTopWindowStart);
        runLast = std::min(runLast, std::max<std::uint64_t>(topReach, address));
        const std::size_t run = static_cast<std::size_t>(runLast - address + 1);
        segments[owner].sum += SumBytes(values, run);
        Grow(owner, address, static_cast<std::uint32_t>(runLast));
        values += run;
        count -= run;
        address = static_cast<std::uint32_t>(runLast + 1); // wraps to 0 after the top
    }
}

std::uint32_t SegmentList::NewSegment(std::uint32_t address) {
    const auto index = static_cast<std::uint32_t>(segments.size());
    segments.push_back({address, address, 0});
    const Window window = WindowOf(segments.back());
    Paint(window.low, window.high, index);
    return index;
}

void SegmentList::Grow(std::uint32_t index, std::uint32_t first, std::uint32_t last) {
    ImageSegment& segment = segments[index];
    const Window before = WindowOf(segment);
    segment.start = std::min(segment.start, first);
    segment.end = std::max(segment.end, last);
    const Window after = WindowOf(segment);
    if (after.low < before.low) {
        Paint(after.low, before.low - 1, index);
    }
    if (after.high > before.high) {
        Paint(before.high + 1, after.high, index);
    }
    // Near either end of the address space a window bound that would wrap is dropped, so a
    // growing segment can lose the 256 addresses beyond it: hand them to the remaining windows.
    if (after.low > before.low) {
        Withdraw(before.low, after.low - 1, index);
    }
    if (after.high < before.high) {
        Withdraw(after.high + 1, before.high, index);
    }
}

void SegmentList::Withdraw(std::uint32_t low, std::uint32_t high, std::uint32_t owner) {
    std::vector<std::pair<std::uint32_t, Span>>& pieces = scratch;
    pieces.clear();
    auto it = spans.upper_bound(low);
    if (it != spans.begin() && std::prev(it)->second.last >= low) {
        --it;
    }
    while (it != spans.end() && it->first <= high) {
        const std::uint32_t start = it->first;
        const Span span = it->second;
        it = spans.erase(it);
        if (span.owner != owner) {
            pieces.push_back({start, span});
            continue;
        }
        if (start < low) {
            pieces.push_back({start, {low - 1, owner}});
        }
        if (span.last > high) {
            pieces.push_back({high + 1, {span.last, owner}});
        }
    }
    for (const auto& [start, span] : std::vector(pieces)) {
        InsertSpan(start, span);
    }
    for (std::uint32_t index = 0; index < segments.size(); ++index) {
        const Window window = WindowOf(segments[index]);
        if (index != owner && window.low <= high && low <= window.high) {
            Paint(std::max(window.low, low), std::min(window.high, high), index);
        }
    }
}

// Gives owner every address of [low, high] that no window, or only a later one, holds.
void SegmentList::Paint(std::uint32_t low, std::uint32_t high, std::uint32_t owner) {
    auto it = spans.upper_bound(low);
    // Free addresses just above a span of the owner's (a segment growing upward): that span
    // takes them, unless a span of the owner's follows at once and must be joined too.
    if (it != spans.begin() && (it == spans.end() || it->first > high)) {
        Span& before = std::prev(it)->second;
        const bool joinsNext =
            it != spans.end() && it->second.owner == owner && std::uint64_t{high} + 1 == it->first;
        if (before.owner == owner && std::uint64_t{before.last} + 1 == low && !joinsNext) {
            before.last = high;
            return;
        }
    }
    std::vector<std::pair<std::uint32_t, Span>>& pieces = scratch;
    pieces.clear();
    if (it != spans.begin() && std::prev(it)->second.last >= low) {
        --it;
    }
    std::uint64_t cursor = low;
    while (it != spans.end() && it->first <= high) {
        std::uint32_t start = it->first;
        const Span span = it->second;
        if (start < low) {
            pieces.push_back({start, {low - 1, span.owner}});
            start = low;
        }
        if (cursor < start) {
            pieces.push_back({static_cast<std::uint32_t>(cursor), {start - 1, owner}});
        }
        const std::uint32_t last = std::min(span.last, high);
        pieces.push_back({start, {last, std::min(span.owner, owner)}});
        if (span.last > high) {
            pieces.push_back({high + 1, {span.last, span.owner}});
        }
        cursor = std::uint64_t{last} + 1;
        it = spans.erase(it);
    }
    if (cursor <= high) {
        pieces.push_back({static_cast<std::uint32_t>(cursor), {high, owner}});
    }
    for (const auto& [start, span] : pieces) {
        InsertSpan(start, span);
    }
}

// Inserts a span, joining it with neighbours of the same owner so lookups cover long runs.
// A span that only lengthens the one before it (a segment growing upward, record by record)
// is written into that node: no node is freed or made.
void SegmentList::InsertSpan(std::uint32_t start, Span span) {
    auto next = spans.lower_bound(start);
    if (next != spans.end() && next->second.owner == span.owner &&
        std::uint64_t{span.last} + 1 == next->first) {
        span.last = next->second.last;
        next = spans.erase(next);
    }
    if (next != spans.begin()) {
        auto prev = std::prev(next);
        if (prev->second.owner == span.owner && std::uint64_t{prev->second.last} + 1 == start) {
            prev->second.last = span.last;
            return;
        }
    }
    spans.emplace_hint(next, start, span);
}

void SegmentList::SortSegments() {
    windowsValid = false;
    auto byStart = [](const ImageSegment& a, const ImageSegment& b) { return a.start < b.start; };
    std::vector<ImageSegment> sorted = segments;
    std::stable_sort(sorted.begin(), sorted.end(), byStart);
    const bool ties = std::adjacent_find(sorted.begin(), sorted.end(),
                                         [](const ImageSegment& a, const ImageSegment& b) {
                                             return a.start == b.start;
                                         }) != sorted.end();
    if (!ties || segments.size() > kExactSortLimit) {
        segments = std::move(sorted);
        return;
    }
    // Equal starts: the exchange sort's order of ties decides which pairs the merge passes join.
    for (std::size_t i = 0; i < segments.size(); ++i) {
        for (std::size_t j = i; j < segments.size(); ++j) {
            if (segments[j].start <= segments[i].start) {
                std::swap(segments[i], segments[j]);
            }
        }
    }
}

void SegmentList::MergeSegments() {
    windowsValid = false;
    const bool sorted = std::is_sorted(
        segments.begin(), segments.end(),
        [](const ImageSegment& a, const ImageSegment& b) { return a.start < b.start; });
    std::vector<ImageSegment> merged;
    merged.reserve(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        ImageSegment current = segments[i];
        // Sorted by start, the first later segment that overlaps or touches is the next one.
        const std::size_t scanEnd = sorted ? std::min(i + 2, segments.size()) : segments.size();
        for (std::size_t j = i + 1; j < scanEnd; ++j) {
            const ImageSegment& other = segments[j];
            const bool overlaps = other.start <= current.end && current.start <= other.end;
            const bool touches = std::uint64_t{current.end} + 1 == other.start ||
                                 std::uint64_t{other.end} + 1 == current.start;
            if (overlaps || touches) {
                current.start = std::min(current.start, other.start);
                current.end = std::max(current.end, other.end);
                current.sum += other.sum;
                if (sorted) {
                    ++i; // the absorbed one is skipped; its follower comes next
                } else {
                    segments.erase(segments.begin() + static_cast<std::ptrdiff_t>(j));
                }
                break;
            }
        }
        merged.push_back(current);
    }
    segments = std::move(merged);
}

} // namespace t8
