#pragma once

#include "transfer/FileChooser.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferProgress.h"
#include "transfer/TransferTimer.h"
#include "transfer/WindowHandOffs.h"

namespace t8 {

// The roles a host plays for the transfers, so their logic runs without widgets. The window
// plays them all (terminal/ui's ViewDialogs and ViewTimer); t8batch plays the messages, the
// progress loops and the timer, and leaves the rest to Unattended.
struct TransferRoles {
    FileChooser& files;
    TransferMessages& messages;
    TransferProgress& progress;
    TransferTimer& timer;
    WindowHandOffs& window;
};

} // namespace t8
