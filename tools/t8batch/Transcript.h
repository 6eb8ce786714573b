#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace t8 {

// The --log file: one line per event, milliseconds since the start first, control bytes
// escaped. Written from the window thread and the reader thread alike.
class Transcript {
public:
    using Clock = std::chrono::steady_clock;

    explicit Transcript(Clock::time_point start);
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;
    ~Transcript();

    // False with the reason in `error` when the file cannot be created.
    [[nodiscard]] bool Open(const std::string& path, std::string& error);
    [[nodiscard]] bool IsOpen() const { return file != nullptr; }
    // "host: ..." or "t8: ...": bytes on the line, escaped.
    void Bytes(std::string_view who, const std::uint8_t* bytes, std::size_t count);
    // Any other event, as text.
    void Note(std::string_view text);

    // `\r`, `\n`, `\t`, `\\` and `\xHH` for the other control bytes and for bytes above 0x7E.
    [[nodiscard]] static std::string Escape(std::string_view bytes);

private:
    void Write(std::string_view text);

    Clock::time_point start;
    std::mutex mutex;
    std::FILE* file = nullptr;
};

} // namespace t8
