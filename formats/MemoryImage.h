#pragma once

#include "formats/ProgressMeter.h"
#include "formats/SegmentList.h"
#include "formats/TransferFormat.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace t8 {

// The byte image of a device memory from baseAddress up, with the segment list of what was
// loaded. Addresses end at the top of the 32-bit space: nothing is loaded beyond it, so the
// image never wraps, and its end and length can reach 2^32 itself. Storage is sparse: only pages
// that received data exist, every other byte of the image reads as the fill byte, so records at
// both ends of the 32-bit space or in descending order cost no more than the data they carry.
// Content is kept by absolute address; lowering the base therefore moves nothing while keeping
// every byte at its address.
class MemoryImage {
public:
    static constexpr std::uint32_t kNoBase = 0xFFFFFFFFU;
    static constexpr std::size_t kPageSize = 256;
    static constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

    MemoryImage() = default;
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;
    MemoryImage(MemoryImage&&) = delete;
    MemoryImage& operator=(MemoryImage&&) = delete;

    // fillPattern's low byte fills unused space only when fillUnused is set; else 0x00.
    void SetFill(bool fillUnused, std::uint32_t fillPattern);
    [[nodiscard]] std::uint8_t FillByte() const { return fill; }

    // Reset before a recognition run: no data, no segments, no base, flags and stop cleared.
    void PrepareImage();

    // Writes the bytes at consecutive addresses and accounts each in the segment list.
    void Load(std::uint32_t address, const std::uint8_t* values, std::size_t count);
    void AddByte(std::uint32_t address, std::uint8_t value) { segments.AddByte(address, value); }
    void LowerBase(std::uint32_t newBase) { base = newBase; }
    // For the readers without addresses: a fresh image counted from base. The segments that an
    // earlier reader left go too: they describe records this image does not hold.
    void RestartAt(std::uint32_t base_);
    void SetLength(std::uint64_t length_) { length = length_; }
    [[nodiscard]] std::uint32_t ImageChecksum(const ProgressFn& progress = {});
    void SortSegments() { segments.SortSegments(); }
    void MergeSegments() { segments.MergeSegments(); }

    [[nodiscard]] std::uint32_t BaseAddress() const { return base; }
    void SetBaseAddress(std::uint32_t base_) { base = base_; }
    // One past the highest address loaded.
    [[nodiscard]] std::uint64_t EndAddress() const { return end; }
    void SetEndAddress(std::uint64_t end_) { end = end_; }
    [[nodiscard]] std::uint64_t Length() const { return length; }
    [[nodiscard]] std::uint32_t ImageSum() const { return imageSum; }
    [[nodiscard]] const SegmentList& Segments() const { return segments; }
    // Bytes at image positions from position on (position 0 holds baseAddress).
    void ReadPositions(std::uint64_t position, std::span<std::uint8_t> out) const;
    [[nodiscard]] std::size_t PageCount() const { return pageCount; }

    [[nodiscard]] bool StopRequested() const { return stop.load(std::memory_order_relaxed); }
    // Safe from any thread: readers look at the flag after every record or block.
    void RequestStop() { stop.store(true, std::memory_order_relaxed); }
    [[nodiscard]] const std::string& StatusText() const { return statusText; }
    void SetStatusText(std::string text) { statusText = std::move(text); }
    [[nodiscard]] bool RecordSeen(TransferFormat format) const;
    void MarkRecordSeen(TransferFormat format);

private:
    using Page = std::array<std::uint8_t, kPageSize>;
    // Pages come from slabs of this many (64 KiB), so a large image costs few allocations and
    // at most one slab more than its pages; a slab's pages untouched yet take no memory.
    static constexpr std::size_t kSlabPages = 256;
    // Pages with consecutive numbers held in consecutive slots, keyed by the first number.
    // Data loaded in ascending order fills one run, so the index stays a few entries however
    // large the image grows; scattered or descending pages cost an entry each.
    struct PageRun {
        std::uint32_t count;
        std::uint32_t firstSlot;
    };
    using RunMap = std::map<std::uint32_t, PageRun>;
    static constexpr std::uint32_t kNoSlot = 0xFFFFFFFFU;

    [[nodiscard]] std::uint8_t* PageFor(std::uint32_t pageNumber);
    [[nodiscard]] std::uint8_t* AddPage(std::uint32_t pageNumber);
    // The slot of a page that received data, or kNoSlot.
    [[nodiscard]] std::uint32_t SlotOf(std::uint32_t pageNumber) const;
    [[nodiscard]] const Page& PageAt(std::uint32_t slot) const {
        return slabs[slot / kSlabPages][slot % kSlabPages];
    }
    [[nodiscard]] Page& PageAt(std::uint32_t slot) {
        return slabs[slot / kSlabPages][slot % kSlabPages];
    }
    void Write(std::uint32_t address, const std::uint8_t* values, std::size_t count);

    std::uint8_t fill = 0;
    std::uint32_t base = kNoBase;
    std::uint64_t end = 0;
    std::uint64_t length = 0;
    std::uint32_t imageSum = 0;
    std::atomic<bool> stop{false};
    std::string statusText;
    std::array<bool, kFormatSlots> recordSeen{}; // by format code, 0: undetermined
    SegmentList segments;
    std::vector<std::unique_ptr<Page[]>> slabs;
    std::size_t pageCount = 0;
    RunMap runs;
    RunMap::iterator newestRun = runs.end(); // the run holding the newest slot
    std::uint32_t cachedPageNumber = 0;
    std::uint8_t* cachedPage = nullptr;
};

} // namespace t8
