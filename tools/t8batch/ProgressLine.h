#pragma once

#include <string>

namespace t8 {

// A transfer's progress on standard error, rewritten in place, and only while standard error is
// a terminal; ended by a line feed before anything else is written there.
class ProgressLine {
public:
    void Show(const std::string& text);
    void End();
    void Enable(bool enable) { enabled = enable; }

private:
    bool shown = false;
    bool enabled = true;
};

} // namespace t8
