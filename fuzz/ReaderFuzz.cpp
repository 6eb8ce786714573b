// libFuzzer target for the readers, through RecognizeFile on a memory file: each reader of the
// format table alone on a fresh image, then the whole recognition and summary, whose segment
// table must lie inside the image. A format added to the table is fuzzed with the others.

#include "formats/FormatInfo.h"
#include "formats/FormatRecognizer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

int MemoryFile() {
    static const int fd = ::memfd_create("t8fuzz", 0);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = MemoryFile();
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    for (const t8::FormatInfo& format : t8::Formats()) {
        t8::MemoryImage alone;
        alone.PrepareImage();
        t8::ByteSource source;
        if (source.Open(path)) {
            (void)t8::RunReader(format.format, alone, source);
            (void)alone.ImageChecksum();
        }
    }

    t8::MemoryImage image;
    image.SetFill(true, size > 0 ? data[0] : 0xFF);
    const t8::RecognitionResult result = t8::RecognizeFile(image, path);
    if (result.recognized) {
        (void)image.ImageChecksum();
        image.SortSegments();
        image.MergeSegments();
        image.MergeSegments();
        // Merged segments are ordered and never overlap.
        const auto& segments = image.Segments().Segments();
        for (std::size_t i = 1; i < segments.size(); ++i) {
            if (segments[i - 1].start > segments[i].start) {
                std::abort();
            }
        }
        // The image never passes the top of the address space, and the table lists no byte
        // outside it.
        const std::uint64_t end = std::uint64_t{image.BaseAddress()} + image.Length();
        if (image.Length() > 0 && end > t8::MemoryImage::kAddressSpace) {
            std::abort();
        }
        for (const t8::ImageSegment& segment : segments) {
            if (segment.start < image.BaseAddress() || segment.end >= end) {
                std::abort();
            }
        }
    }
    return 0;
}
