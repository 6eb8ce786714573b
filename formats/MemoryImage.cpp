#include "formats/MemoryImage.h"

#include "formats/ByteSum.h"

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
    runs.clear();
    newestRun = runs.end();
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
    const std::uint32_t slot = SlotOf(pageNumber);
    cachedPageNumber = pageNumber;
    cachedPage = slot == kNoSlot ? AddPage(pageNumber) : PageAt(slot).data();
    return cachedPage;
}

std::uint8_t* MemoryImage::AddPage(std::uint32_t pageNumber) {
    const auto slot = static_cast<std::uint32_t>(pageCount);
    if (pageCount % kSlabPages == 0) {
        slabs.push_back(std::make_unique_for_overwrite<Page[]>(kSlabPages));
    }
    ++pageCount;
    // The page just above the newest run's last one continues it in the next slot.
    if (newestRun != runs.end() &&
        std::uint64_t{newestRun->first} + newestRun->second.count == pageNumber) {
        ++newestRun->second.count;
    } else {
        newestRun = runs.emplace(pageNumber, PageRun{1, slot}).first;
    }
    std::uint8_t* page = PageAt(slot).data();
    std::memset(page, fill, kPageSize); // unused bytes of a page read as the fill byte
    return page;
}

std::uint32_t MemoryImage::SlotOf(std::uint32_t pageNumber) const {
    auto it = runs.upper_bound(pageNumber);
    if (it == runs.begin()) {
        return kNoSlot;
    }
    --it;
    const std::uint32_t step = pageNumber - it->first;
    return step < it->second.count ? it->second.firstSlot + step : kNoSlot;
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
    for (const auto& [firstPage, run] : runs) {
        for (std::uint32_t step = 0; step < run.count; ++step) {
            const std::uint64_t pageBegin = std::uint64_t{firstPage + step} << kPageShift;
            const std::uint64_t from = std::max(pageBegin, first);
            const std::uint64_t to = std::min(pageBegin + kPageSize, last);
            if (to > from) {
                const std::uint8_t* bytes =
                    PageAt(run.firstSlot + step).data() + (from - pageBegin);
                const auto count = static_cast<std::size_t>(to - from);
                sum += SumBytes(bytes, count);
                covered += count;
            }
            meter.Update(++done);
        }
    }
    const std::uint64_t unused = length - covered;
    sum += static_cast<std::uint32_t>(unused * fill);
    imageSum = sum;
    return sum;
}

void MemoryImage::ReadPositions(std::uint64_t position, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        // A page at a time: the bytes up to the page's end come from one place.
        const auto address = static_cast<std::uint32_t>(base + position + done);
        const std::size_t offset = address & (kPageSize - 1);
        const std::size_t take = std::min(out.size() - done, kPageSize - offset);
        const std::uint32_t slot = SlotOf(address >> kPageShift);
        if (slot == kNoSlot) {
            std::memset(out.data() + done, fill, take);
        } else {
            std::memcpy(out.data() + done, PageAt(slot).data() + offset, take);
        }
        done += take;
    }
}

} // namespace t8
