#include "formats/MemoryImage.h"

#include <algorithm>
#include <cstring>

namespace t8 {

namespace {
constexpr unsigned kPageShift = 8;
static_assert(MemoryImage::kPageSize == std::size_t{1} << kPageShift);

std::size_t FormatSlot(TransferFormat format) {
    const auto value = static_cast<int>(format);
    return value > 0 && static_cast<std::size_t>(value) < kFormatSlots
               ? static_cast<std::size_t>(value)
               : 0;
}
} // namespace

void MemoryImage::SetFill(bool fillUnused, std::uint32_t fillPattern) {
    fill = fillUnused ? static_cast<std::uint8_t>(fillPattern & 0xFFU) : std::uint8_t{0};
}

void MemoryImage::PrepareImage() {
    base = kNoBase;
    end = 0;
    length = 0;
    imageSum = 0;
    stop.store(false, std::memory_order_relaxed);
    statusText.clear();
    recordSeen.fill(false);
    RestartAt(kNoBase);
}

void MemoryImage::RestartAt(std::uint32_t base_) {
    base = base_;
    segments.Clear();
    slabs.clear();
    pageCount = 0;
    pageIndex.clear();
    cachedPage = nullptr;
}

bool MemoryImage::RecordSeen(TransferFormat format) const {
    return recordSeen[FormatSlot(format)];
}

void MemoryImage::MarkRecordSeen(TransferFormat format) {
    recordSeen[FormatSlot(format)] = true;
}

std::uint8_t* MemoryImage::PageFor(std::uint32_t pageNumber) {
    if (cachedPage != nullptr && cachedPageNumber == pageNumber) {
        return cachedPage;
    }
    auto [it, added] = pageIndex.try_emplace(pageNumber, static_cast<std::uint32_t>(pageCount));
    if (added) {
        if (pageCount % kSlabPages == 0) {
            slabs.push_back(std::make_unique_for_overwrite<Page[]>(kSlabPages));
        }
        ++pageCount;
    }
    cachedPageNumber = pageNumber;
    cachedPage = slabs[it->second / kSlabPages][it->second % kSlabPages].data();
    if (added) {
        std::memset(cachedPage, fill, kPageSize); // unused bytes of a page read as the fill byte
    }
    return cachedPage;
}

void MemoryImage::ReserveForText(std::uint64_t characters) {
    const std::uint64_t pages = characters / (2 * kPageSize) + 1;
    // Beyond what the address space holds a reservation would only waste memory.
    pageIndex.reserve(
        static_cast<std::size_t>(std::min<std::uint64_t>(pages, kAddressSpace / kPageSize)));
}

void MemoryImage::Write(std::uint32_t address, const std::uint8_t* values, std::size_t count) {
    while (count > 0) {
        const std::size_t offset = address & (kPageSize - 1);
        const std::size_t take = std::min(count, kPageSize - offset);
        std::memcpy(PageFor(address >> kPageShift) + offset, values, take);
        values += take;
        count -= take;
        address += static_cast<std::uint32_t>(take); // wraps past the top of the address space
    }
}

void MemoryImage::Load(std::uint32_t address, const std::uint8_t* values, std::size_t count) {
    Write(address, values, count);
    segments.Add(address, values, count);
}

std::uint32_t MemoryImage::ImageChecksum(const ProgressFn& progress) {
    ProgressMeter meter(&progress);
    meter.Start(pageCount);
    // The image covers [base, base + length), which never passes the top of the address space.
    const std::uint64_t first = base;
    const std::uint64_t last = std::min(first + length, kAddressSpace);
    std::uint64_t covered = 0;
    std::uint32_t sum = 0;
    std::uint64_t done = 0;
    for (const auto& [pageNumber, index] : pageIndex) {
        const std::uint64_t pageBegin = std::uint64_t{pageNumber} << kPageShift;
        const Page& page = PageAt(index);
        const std::uint64_t from = std::max(pageBegin, first);
        const std::uint64_t to = std::min(pageBegin + kPageSize, last);
        const std::size_t count = to > from ? static_cast<std::size_t>(to - from) : 0;
        const std::uint8_t* bytes = page.data() + (count > 0 ? from - pageBegin : 0);
        for (std::size_t i = 0; i < count; ++i) {
            sum += bytes[i];
        }
        covered += count;
        meter.Update(++done);
    }
    const std::uint64_t unused = length - covered;
    sum += static_cast<std::uint32_t>(unused * fill);
    imageSum = sum;
    return sum;
}

void MemoryImage::ReadPositions(std::uint64_t position, std::span<std::uint8_t> out) const {
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto address = static_cast<std::uint32_t>(base + position + i);
        const auto it = pageIndex.find(address >> kPageShift);
        out[i] = it == pageIndex.end() ? fill : PageAt(it->second)[address & (kPageSize - 1)];
    }
}

} // namespace t8
