#pragma once

#include "transfer/checks/StreamChecker.h"

#include <string>

namespace t8 {

// The logic behind "Upload progress.....": the byte count, the detected format and the stream
// check's verdict, and the end of a receive after 20 silent 250 ms ticks or at Finish().
class UploadProgress {
public:
    static constexpr int kTickMs = 250;
    static constexpr int kSilentTicksToClose = 20;
    enum Outcome : int { kRunning = 0, kOk = 1, kCancelled = 2 };

    UploadProgress() = default;
    UploadProgress(const UploadProgress&) = delete;
    UploadProgress& operator=(const UploadProgress&) = delete;

    void Tick();
    void SetBytes(long count);
    void SetFormat(const std::string& text);
    // The end was detected: the next tick closes with OK.
    void Finish() { silentTicks = kSilentTicksToClose + 1; }
    void Cancel();

    [[nodiscard]] int Result() const { return result; }
    [[nodiscard]] int SilentTicks() const { return silentTicks; }
    [[nodiscard]] const std::string& BytesText() const { return bytesText; }
    [[nodiscard]] const std::string& FormatText() const { return formatText; }
    [[nodiscard]] std::string StatusText() const { return std::string(checker.StatusText()); }
    [[nodiscard]] StreamChecker& Checker() { return checker; }
    [[nodiscard]] const StreamChecker& Checker() const { return checker; }

private:
    StreamChecker checker;
    int silentTicks = 0;
    int result = kRunning;
    std::string formatText;
    std::string bytesText;
};

} // namespace t8
