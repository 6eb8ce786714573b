#pragma once

#include "formats/TransferFormat.h"
#include "transfer/AddressPrompt.h"

#include <cstdint>
#include <string>

namespace t8 {

class SerialLink;

inline constexpr char kAddressPromptText[] =
    "Enter address and then press ENTER to confirm or ESC to cancel.";
inline constexpr char kOpenFileError[] = "Error by opening file.";

// What the send and the receive share: the device's answer and what was read from it, and
// the file being moved.
struct TransferFields {
    TransferFormat transferFormat = static_cast<TransferFormat>(0);
    AddressPrompt prompt; // promptText and promptEditPos
    std::int32_t rangeStart = 0;
    std::int32_t rangeEnd = 0;
    std::string transferPath;
    std::string lastDownloadDir; // folder of the last file sent, without trailing separator
    std::string fileFilter;

    // Reads the format and the range out of the prompt text.
    void ParsePromptText();
};

// Ends the device's transfer command after a cancel: two escape pairs, the local echo put
// back from its setting in between.
void SendAbortEscapes(SerialLink& link);

} // namespace t8
