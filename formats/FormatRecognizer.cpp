#include "FormatRecognizer.h"

#include "AsciiHexReader.h"
#include "BinaryReader.h"
#include "IntelHexReader.h"
#include "MotorolaReader.h"
#include "TekHexReader.h"

#include <array>
#include <cinttypes>
#include <cstdio>

namespace t8 {

namespace {
template <typename Reader>
std::unique_ptr<ReaderBase> Make(MemoryImage& image, ByteSource& source,
                                 const ProgressFn& progress) {
    return std::make_unique<Reader>(image, source, progress);
}

constexpr std::array<ReaderEntry, 5> kReaders{{
    {TransferFormat::FormatTek, "File recognized as TEKTRONIX HEX file.", &Make<TekHexReader>},
    {TransferFormat::FormatMotorola, "File recognized as MOTOROLA S file.", &Make<MotorolaReader>},
    {TransferFormat::FormatIntel, "File recognized as Intel HEX file.", &Make<IntelHexReader>},
    {TransferFormat::FormatAscii, "File recognized as ASCII HEX file.", &Make<AsciiHexReader>},
    {TransferFormat::FormatBinary, "File recognized as BINARY file.", &Make<BinaryReader>},
}};

std::string Format(const char* pattern, auto value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}
} // namespace

std::span<const ReaderEntry> ReaderTable() {
    return kReaders;
}

RecognitionResult RecognizeSource(MemoryImage& image, ByteSource& source,
                                  const ProgressFn& progress) {
    image.PrepareImage();
    RecognitionResult result;
    result.opened = true;
    result.fileLength = source.Length();
    result.fileLengthText = Format("%" PRIu64 " bytes.", result.fileLength);
    for (const ReaderEntry& entry : kReaders) {
        if (entry.make(image, source, progress)->Read()) {
            result.recognized = true;
            result.format = entry.format;
            image.SetStatusText(std::string(entry.recognizedText));
            result.binaryLengthText = Format("$%08" PRIX64 " ", image.Length());
            return result;
        }
    }
    result.examinationEnded = true;
    return result;
}

RecognitionResult RecognizeFile(MemoryImage& image, const std::string& path,
                                const ProgressFn& progress) {
    ByteSource source;
    if (!source.Open(path)) {
        image.PrepareImage();
        image.SetStatusText("Can not open file");
        // Nothing was read: a summary over an empty image would tell the operator nothing.
        RecognitionResult result;
        result.examinationEnded = true;
        return result;
    }
    return RecognizeSource(image, source, progress);
}

bool RunReader(TransferFormat format, MemoryImage& image, ByteSource& source,
               const ProgressFn& progress) {
    for (const ReaderEntry& entry : kReaders) {
        if (entry.format == format) {
            return entry.make(image, source, progress)->Read();
        }
    }
    return false;
}

} // namespace t8
