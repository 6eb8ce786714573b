#pragma once

#include <string>

namespace t8 {

class BatchTerminal;

// What the transfers hand over to the window around the terminal: the status bar's prompt
// pane, the examine dialog and the batch dialog. Calls come on the user-interface thread.
class WindowHandOffs {
public:
    WindowHandOffs() = default;
    WindowHandOffs(const WindowHandOffs&) = delete;
    WindowHandOffs& operator=(const WindowHandOffs&) = delete;
    virtual ~WindowHandOffs() = default;

    // The status bar's prompt pane.
    virtual void SetPromptText(const std::string& text) = 0;
    // The examine dialog on a file; `withRecord` hands it the connection's fill options.
    virtual void OpenExamine(const std::string& path, bool withRecord) = 0;
    // The batch dialog running the file at `path` on `terminal`.
    virtual void RunBatch(const std::string& path, BatchTerminal& terminal) = 0;
};

} // namespace t8
