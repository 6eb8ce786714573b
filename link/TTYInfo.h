#pragma once

#include "link/ComPortSettings.h"
#include "link/FillOptions.h"
#include "link/LineState.h"
#include "link/OtherPortSettings.h"
#include "link/ScreenState.h"
#include "link/TerminalLook.h"
#include "link/TransferFlags.h"

namespace t8 {

// The one connection record, composed of plain sub-records so that each user can take the part
// it works on: the COM settings, the other ports' options, the terminal's look, the screen, the
// fill options, the line's state and the transfer flags. The settings pages work on copies of
// their part. The open port and the reader live in SerialLink beside it. An aggregate without a
// base, so TTYInfo{} gives every sub-record its defaults.
struct TTYInfo {
    ComPortSettings com;
    OtherPortSettings otherPorts;
    TerminalLook look;
    ScreenState screen;
    FillOptions fill;
    LineState line;
    TransferFlags transfer;
};

} // namespace t8
