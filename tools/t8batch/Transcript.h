#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace t8 {

// The --log file: a header line with the wall-clock start, then one line per event,
// milliseconds since the start first, control bytes escaped. A write that fails (a full disk,
// /dev/full, a FIFO whose reader went away or took nothing for kStallMs) is remembered, not
// retried: the run asks Failed() and ends with its reason.
class Transcript {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kStallMs = 10000;

    explicit Transcript(Clock::time_point start);
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;
    ~Transcript();

    // False with the reason in `error` when the file cannot be opened for writing. A FIFO
    // without a reader is refused at once rather than waited on.
    [[nodiscard]] bool Open(const std::string& path, std::string& error);
    [[nodiscard]] bool IsOpen() const { return fd >= 0; }
    // The first line, as it is.
    void Header(std::string_view text);
    // "host: ..." or "t8: ...": bytes on the line, escaped.
    void Bytes(std::string_view who, const std::uint8_t* bytes, std::size_t count);
    // Any other event, as text.
    void Note(std::string_view text);
    // Nothing is written after this; a failure to close counts as a failed write.
    void Close();

    [[nodiscard]] bool Failed() const { return !failure.empty(); }
    [[nodiscard]] const std::string& Failure() const { return failure; }

    // `\r`, `\n`, `\t`, `\\` and `\xHH` for the other control bytes and for bytes above 0x7E.
    [[nodiscard]] static std::string Escape(std::string_view bytes);

private:
    void Write(std::string_view text);
    void WriteLine(const std::string& line);
    [[nodiscard]] bool WaitWritable();

    Clock::time_point start;
    std::mutex mutex;
    int fd = -1;
    std::string failure;
};

} // namespace t8
