#include "formats/FileStamp.h"

#include "formats/ByteSource.h"
#include "formats/FormatInfo.h"
#include "formats/FormatRecognizer.h"
#include "formats/MemoryImage.h"
#include "formats/ReaderBase.h"
#include "formats/RecordPatch.h"

#include <cstdio>

namespace t8 {

namespace {

struct Reading {
    bool read = false;
    std::uint32_t sum = 0;
    std::uint64_t length = 0;
    std::uint32_t base = 0;
};

Reading ReadWith(const FormatInfo& row, std::span<const std::uint8_t> file, MemoryImage& image,
                 RecordSpans* spans) {
    ByteSource source(file);
    image.PrepareImage();
    const ProgressFn noProgress; // the reader keeps a reference: it must outlive it
    auto reader = row.makeReader(image, source, noProgress);
    reader->WatchSpans(spans);
    Reading reading;
    reading.read = reader->Read();
    reading.sum = image.ImageChecksum();
    reading.length = image.Length();
    reading.base = image.BaseAddress();
    return reading;
}

std::uint32_t SumAt(const MemoryImage& image, std::uint32_t address, std::size_t count) {
    std::vector<std::uint8_t> held(count);
    image.ReadPositions(address - image.BaseAddress(), held);
    std::uint32_t sum = 0;
    for (const std::uint8_t value : held) {
        sum += value;
    }
    return sum;
}

std::string RangeText(std::uint32_t address, std::size_t count) {
    char text[64];
    std::snprintf(text, sizeof text, "0x%08X-0x%08llX", address,
                  static_cast<unsigned long long>(address + count - 1));
    return text;
}

} // namespace

StampResult StampFile(std::span<const std::uint8_t> file, std::uint32_t address,
                      std::span<const std::uint8_t> values) {
    StampResult result;
    if (values.empty() || std::uint64_t{address} + values.size() > MemoryImage::kAddressSpace) {
        result.problem = "nothing to write, or the range passes the top of the address space";
        return result;
    }
    RecordSpans spans(address, std::uint64_t{address} + values.size());
    MemoryImage image;
    ByteSource source(file);
    const RecognitionResult recognized = RecognizeSource(image, source);
    const FormatInfo* row = FindFormat(recognized.format);
    if (recognized.recognized && row != nullptr) {
        // Once more with the records noted: recognition alone decides the format, as it does
        // for the examination (an earlier reader's checksum error refuses the file).
        const Reading before = ReadWith(*row, file, image, &spans);
        result.format = row->format;
        if (!spans.Covers()) {
            result.problem = "the file holds no data at " + RangeText(address, values.size());
            return result;
        }
        std::uint32_t expected = before.sum - SumAt(image, address, values.size());
        for (const std::uint8_t value : values) {
            expected += value;
        }
        PatchResult patched = PatchRecords(file, spans.Spans(), address, values);
        if (!patched.problem.empty()) {
            result.problem = patched.problem;
            return result;
        }
        const Reading after = ReadWith(*row, patched.bytes, image, nullptr);
        std::vector<std::uint8_t> held(values.size());
        if (after.read && after.base == before.base && after.length == before.length &&
            after.sum == expected) {
            image.ReadPositions(address - image.BaseAddress(), held);
        }
        if (!std::equal(held.begin(), held.end(), values.begin(), values.end())) {
            result.problem = "the stamped file does not read back as the original with the "
                             "number at " +
                             RangeText(address, values.size());
            return result;
        }
        result.bytes = std::move(patched.bytes);
        return result;
    }
    result.problem = image.StatusText().empty()
                         ? "the file is of no known format"
                         : "the file is of no known format: " + image.StatusText();
    return result;
}

} // namespace t8
