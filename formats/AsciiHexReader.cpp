#include "formats/AsciiHexReader.h"

#include "formats/HexDigits.h"

namespace t8 {

bool AsciiHexReader::Read() {
    image_.RestartAt(0);
    counter_ = 0;
    runLength_ = 0;
    Begin(false);
    for (;;) {
        const int c = source_.Next();
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
        image_.MarkRecordSeen(TransferFormat::FormatAscii);
        // The second character is taken whatever it is; a non-digit, or the end of the file
        // after a lone digit, counts as the digit 0.
        const int second = source_.Next();
        run_[runLength_++] =
            static_cast<std::uint8_t>(HexDigitValue(c) * 16U + HexDigitValue(second));
        ++counter_;
        if (runLength_ == kRunSize) {
            Flush();
        }
        UpdateProgress();
        if (image_.StopRequested()) {
            Flush();
            return false;
        }
    }
    Flush();
    image_.SetLength(counter_);
    return image_.RecordSeen(TransferFormat::FormatAscii);
}

void AsciiHexReader::Flush() {
    const auto first = static_cast<std::uint32_t>(counter_ - runLength_);
    image_.Load(first, run_.data(), runLength_);
    runLength_ = 0;
}

} // namespace t8
