#include "formats/FormatRecognizer.h"

#include "formats/FormatInfo.h"
#include "formats/ReaderBase.h"

#include <cinttypes>
#include <cstdio>

namespace t8 {

namespace {
std::string Format(const char* pattern, auto value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}
} // namespace

RecognitionResult RecognizeSource(MemoryImage& image, ByteSource& source,
                                  const ProgressFn& progress) {
    image.PrepareImage();
    RecognitionResult result;
    result.opened = true;
    result.fileLength = source.Length();
    result.fileLengthText = Format("%" PRIu64 " bytes.", result.fileLength);
    for (const FormatInfo& entry : Formats()) {
        if (entry.makeReader(image, source, progress)->Read()) {
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
    if (const FormatInfo* entry = FindFormat(format)) {
        return entry->makeReader(image, source, progress)->Read();
    }
    return false;
}

} // namespace t8
