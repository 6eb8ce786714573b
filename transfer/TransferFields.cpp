#include "transfer/TransferFields.h"

#include "link/SerialLink.h"
#include "transfer/PromptParser.h"

namespace t8 {

void TransferFields::ParsePromptText() {
    const PromptReading reading = t8::ParsePromptText(prompt.Text(), transferFormat);
    transferFormat = reading.format;
    rangeStart = reading.rangeStart;
    rangeEnd = reading.rangeEnd;
}

void SendAbortEscapes(SerialLink& link) {
    constexpr std::uint8_t kEscapePair[] = {0x1B, 0x1B};
    link.SendBytes(kEscapePair, sizeof kEscapePair);
    if (TTYInfo* tty = link.Record()) {
        tty->line.echoActive = tty->com.comLocalEcho;
    }
    link.SendBytes(kEscapePair, sizeof kEscapePair);
}

} // namespace t8
