#pragma once

#include "formats/checks/StreamCheck.h"

#include <memory>

#include <string>

namespace t8 {

struct FormatInfo;

// The logic behind "Upload progress.....": the byte count, the detected format and the stream
// check's verdict, and the end of a receive after 20 silent 250 ms ticks, at Finish(), or when
// the line goes away.
class UploadProgress {
public:
    static constexpr int kTickMs = 250;
    static constexpr int kSilentTicksToClose = 20;
    // kStopped: the host stopped the receive (t8batch's verdict came first); it keeps what
    // arrived and sends the device nothing more.
    enum Outcome : int { kRunning = 0, kOk = 1, kCancelled = 2, kLineLost = 3, kStopped = 4 };
    // Added to the status line when the receive ended before its end was seen.
    static constexpr char kStoppedEarly[] = "The device stopped sending before the end.";
    static constexpr char kLostEarly[] = "The connection was lost before the end.";
    static constexpr char kHaltedEarly[] = "The receive was stopped before the end.";
    static constexpr char kNothingSent[] = "The device sent nothing.";

    UploadProgress() = default;
    UploadProgress(const UploadProgress&) = delete;
    UploadProgress& operator=(const UploadProgress&) = delete;

    // Silence is how this receive ends anyway (binary without a range): no remark then.
    void SetSilenceIsTheEnd(bool normal) { silenceIsTheEnd = normal; }
    void Tick();
    void SetBytes(long count);
    void SetFormat(const std::string& text);
    // The end was detected: the next tick closes with OK.
    void Finish() {
        silentTicks = kSilentTicksToClose + 1;
        finished = true;
    }
    void Cancel();
    // The port went away: the receive ends now with what it has.
    void LineLost();
    // The host stops the receive now; it ends with what it has.
    void Stop();

    [[nodiscard]] int Result() const { return result; }
    // The receive ended without its end: the device fell silent, the line went away, or the
    // host stopped it.
    [[nodiscard]] bool EndedEarly() const;
    [[nodiscard]] int SilentTicks() const { return silentTicks; }
    [[nodiscard]] const std::string& BytesText() const { return bytesText; }
    [[nodiscard]] const std::string& FormatText() const { return formatText; }
    // The check's verdict, and how the receive ended when it ended early.
    [[nodiscard]] std::string StatusText() const;
    // One received block through the check of the receive's format, made at its first block.
    void Check(const FormatInfo& format, const std::uint8_t* bytes, std::size_t count);
    // The check's verdict so far: kNoErrors before any check ran.
    [[nodiscard]] std::string_view CheckVerdict() const;
    [[nodiscard]] bool CheckFoundErrors() const { return checker && checker->HasErrors(); }

private:
    void End(int outcome);

    std::unique_ptr<StreamCheck> checker;
    int silentTicks = 0;
    int result = kRunning;
    bool finished = false;
    bool silenceIsTheEnd = false;
    bool anyBytes = false;
    std::string formatText;
    std::string bytesText;
};

} // namespace t8
