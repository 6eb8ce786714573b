#pragma once

#include "formats/ByteSource.h"
#include "formats/ImageWriter.h"
#include "formats/MemoryImage.h"
#include "formats/ProgressMeter.h"
#include "formats/TransferFormat.h"
#include "formats/checks/StreamCheck.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace t8 {

class ReaderBase;

using ReaderFactory = std::unique_ptr<ReaderBase> (*)(MemoryImage& image, ByteSource& source,
                                                      const ProgressFn& progress);

// Everything the program knows of a data format, in one row: the recogniser tries the rows'
// readers in table order, a stamp or a conversion writes with its writer, the device's answer is
// matched against their keywords, a receive shows the row's text and runs its check, and a send is
// confirmed by the timer's Enter unless the row wants an address from the operator. Adding a format
// is a reader, a check and a row.
struct FormatInfo {
    TransferFormat format;
    std::string_view keyword;        // the device's word for it in its answers ("INTEL")
    int keywordRank;                 // of several keywords in one answer, the highest decides
    std::string_view recognizedText; // what the examination says of a file in it
    std::string_view receiveText;    // what the upload progress says of a receive in it
    ReaderFactory makeReader;
    StreamCheckFactory makeCheck; // nullptr: no check (binary data)
    bool addressPrompt;           // a send waits for the operator to type the address
    ImageWriterFn writeImage;     // an image as a file of this format
};

// The rows, in the order a file is tried: Tektronix, Motorola, Intel, ASCII hex, binary.
[[nodiscard]] std::span<const FormatInfo> Formats();
// The row of `format`; nullptr for FormatUndetermined or an unknown code.
[[nodiscard]] const FormatInfo* FindFormat(TransferFormat format);

} // namespace t8
