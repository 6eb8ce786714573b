#pragma once

#include "link/LinkUi.h"

#include <string>

namespace t8 {

// What the transfers tell the operator, and the one question they ask. Calls come on the
// user-interface thread.
class TransferMessages {
public:
    TransferMessages() = default;
    TransferMessages(const TransferMessages&) = delete;
    TransferMessages& operator=(const TransferMessages&) = delete;
    virtual ~TransferMessages() = default;

    // An empty caption means the application's title.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool AskOkCancel(const std::string& text, const std::string& caption) = 0;
};

} // namespace t8
