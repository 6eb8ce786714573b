#pragma once

#include "formats/ByteSource.h"
#include "formats/MemoryImage.h"
#include "formats/ProgressMeter.h"
#include "formats/TransferFormat.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace t8 {

struct RecognitionResult {
    bool opened = false;
    bool recognized = false;
    // No summary follows: the file could not be opened or no reader accepted it.
    bool examinationEnded = false;
    TransferFormat format = TransferFormat::FormatUndetermined;
    std::uint64_t fileLength = 0;
    std::string fileLengthText;   // "%li bytes."
    std::string binaryLengthText; // "$%08X " of the image length, empty when not recognised
};

// Prepares the image, then runs the readers in order on the source until one accepts it.
// The image keeps what carries over between readers; its status text holds the outcome.
[[nodiscard]] RecognitionResult RecognizeSource(MemoryImage& image, ByteSource& source,
                                                const ProgressFn& progress = {});
// Opens path read-only first; "Can not open file" when that fails.
[[nodiscard]] RecognitionResult RecognizeFile(MemoryImage& image, const std::string& path,
                                              const ProgressFn& progress = {});
// Runs one reader on the image as it stands, as RecognizeSource would at its turn.
[[nodiscard]] bool RunReader(TransferFormat format, MemoryImage& image, ByteSource& source,
                             const ProgressFn& progress = {});

} // namespace t8
