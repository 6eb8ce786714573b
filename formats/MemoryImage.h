#pragma once

#include "formats/ProgressMeter.h"
#include "formats/SegmentList.h"
#include "formats/TransferFormat.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <unordered_map>

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
    [[nodiscard]] std::uint8_t FillByte() const { return fill_; }

    // Reset before a recognition run: no data, no segments, no base, flags and stop cleared.
    void PrepareImage();

    // Writes the bytes at consecutive addresses and accounts each in the segment list.
    void Load(std::uint32_t address, const std::uint8_t* values, std::size_t count);
    void AddByte(std::uint32_t address, std::uint8_t value) { segments_.AddByte(address, value); }
    void LowerBase(std::uint32_t newBase) { base_ = newBase; }
    // For the readers without addresses: a fresh image counted from base. The segments that an
    // earlier reader left go too: they describe records this image does not hold.
    void RestartAt(std::uint32_t base);
    void SetLength(std::uint64_t length) { length_ = length; }
    [[nodiscard]] std::uint32_t ImageChecksum(const ProgressFn& progress = {});
    void SortSegments() { segments_.SortSegments(); }
    void MergeSegments() { segments_.MergeSegments(); }

    [[nodiscard]] std::uint32_t BaseAddress() const { return base_; }
    void SetBaseAddress(std::uint32_t base) { base_ = base; }
    // One past the highest address loaded.
    [[nodiscard]] std::uint64_t EndAddress() const { return end_; }
    void SetEndAddress(std::uint64_t end) { end_ = end; }
    [[nodiscard]] std::uint64_t Length() const { return length_; }
    [[nodiscard]] std::uint32_t ImageSum() const { return imageSum_; }
    [[nodiscard]] const SegmentList& Segments() const { return segments_; }
    // Bytes at image positions from position on (position 0 holds baseAddress).
    void ReadPositions(std::uint64_t position, std::span<std::uint8_t> out) const;
    [[nodiscard]] std::size_t PageCount() const { return pages_.size(); }

    [[nodiscard]] bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }
    // Safe from any thread: readers look at the flag after every record or block.
    void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
    [[nodiscard]] const std::string& StatusText() const { return statusText_; }
    void SetStatusText(std::string text) { statusText_ = std::move(text); }
    [[nodiscard]] bool RecordSeen(TransferFormat format) const;
    void MarkRecordSeen(TransferFormat format);

private:
    using Page = std::array<std::uint8_t, kPageSize>;
    [[nodiscard]] std::uint8_t* PageFor(std::uint32_t pageNumber);
    void Write(std::uint32_t address, const std::uint8_t* values, std::size_t count);

    std::uint8_t fill_ = 0;
    std::uint32_t base_ = kNoBase;
    std::uint64_t end_ = 0;
    std::uint64_t length_ = 0;
    std::uint32_t imageSum_ = 0;
    std::atomic<bool> stop_{false};
    std::string statusText_;
    std::array<bool, kFormatSlots> recordSeen_{}; // by format code, 0: undetermined
    SegmentList segments_;
    std::deque<Page> pages_;
    std::unordered_map<std::uint32_t, std::uint32_t> pageIndex_;
    std::uint32_t cachedPageNumber_ = 0;
    std::uint8_t* cachedPage_ = nullptr;
};

} // namespace t8
