#include "formats/AsciiHexReader.h"

#include "formats/HexDigits.h"

namespace t8 {

bool AsciiHexReader::Read() {
    image.RestartAt(0);
    counter = 0;
    runLength = 0;
    Begin(false);
    for (;;) {
        const int c = source.Next();
        if (c < 0) {
            break;
        }
        if (IsSeparator(c)) {
            continue;
        }
        if (!IsHexDigit(c)) {
            Flush();
            return false; // any other character, 0x80 and above included
        }
        image.MarkRecordSeen(TransferFormat::FormatAscii);
        NoteSpan({counter, 1, source.Position() - 1, 0, SpanDigits::HexPairs, SpanChecksum::None});
        // The second character is taken whatever it is; a non-digit, or the end of the file
        // after a lone digit, counts as the digit 0.
        const int second = source.Next();
        run[runLength++] =
            static_cast<std::uint8_t>(HexDigitValue(c) * 16U + HexDigitValue(second));
        ++counter;
        if (runLength == kRunSize) {
            Flush();
        }
        UpdateProgress();
        if (image.StopRequested()) {
            Flush();
            return false;
        }
    }
    Flush();
    image.SetLength(counter);
    return image.RecordSeen(TransferFormat::FormatAscii);
}

void AsciiHexReader::Flush() {
    const auto first = static_cast<std::uint32_t>(counter - runLength);
    image.Load(first, run.data(), runLength);
    runLength = 0;
}

} // namespace t8
