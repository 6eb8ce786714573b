#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace t8 {

// A rewindable byte stream over a file or a memory block, read through one buffer so that the
// readers' per-character loop never costs a system call.
class ByteSource {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    ByteSource() = default;
    // Memory source; chunk > 0 hands the data out in pieces of that size, as a file read would.
    explicit ByteSource(std::span<const std::uint8_t> memory_, std::size_t chunk_ = kBufferSize);
    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    ByteSource(ByteSource&& other) noexcept;
    ByteSource& operator=(ByteSource&& other) noexcept;

    // Regular files only: a pipe or device could not be rewound between readers.
    [[nodiscard]] bool Open(const std::string& path);
    void Close();
    [[nodiscard]] bool IsOpen() const { return fd >= 0 || memory.data() != nullptr; }
    [[nodiscard]] std::uint64_t Length() const { return length; }
    // Number of bytes handed out since the last rewind.
    [[nodiscard]] std::uint64_t Position() const {
        return consumedBefore + static_cast<std::uint64_t>(next - begin);
    }

    bool Rewind();

    // The next byte, or -1 at the end of input (a read error ends the input as well).
    [[nodiscard]] int Next() {
        if (next == end && !Refill()) {
            return -1;
        }
        return *next++;
    }

    // The bytes buffered from the current position on, refilled first when none are left;
    // empty only at the end of input. A reader decodes whole fields from it and skips them.
    [[nodiscard]] std::span<const std::uint8_t> Buffered() {
        if (next == end && !Refill()) {
            return {};
        }
        return {next, static_cast<std::size_t>(end - next)};
    }
    // Passes over count bytes of those Buffered() returned.
    void Skip(std::size_t count) { next += count; }

    // Up to max bytes; 0 only at the end of input.
    [[nodiscard]] std::size_t ReadBlock(std::uint8_t* out, std::size_t max);

private:
    bool Refill();

    int fd = -1;
    std::span<const std::uint8_t> memory;
    std::size_t chunk = kBufferSize;
    std::uint64_t memoryOffset = 0;
    std::vector<std::uint8_t> buffer;
    const std::uint8_t* begin = nullptr;
    const std::uint8_t* next = nullptr;
    const std::uint8_t* end = nullptr;
    std::uint64_t consumedBefore = 0;
    std::uint64_t length = 0;
};

} // namespace t8
