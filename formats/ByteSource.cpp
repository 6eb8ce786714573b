#include "formats/ByteSource.h"

#include "formats/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t8 {

ByteSource::ByteSource(std::span<const std::uint8_t> memory_, std::size_t chunk_)
    : memory(memory_), chunk(chunk_ == 0 ? kBufferSize : chunk_), length(memory_.size()) {
    // A non-null data pointer marks the memory mode, also for an empty block.
    static constexpr std::uint8_t kEmpty = 0;
    if (memory.data() == nullptr) {
        memory = std::span<const std::uint8_t>(&kEmpty, 0);
    }
}

ByteSource::~ByteSource() {
    Close();
}

ByteSource::ByteSource(ByteSource&& other) noexcept {
    *this = std::move(other);
}

ByteSource& ByteSource::operator=(ByteSource&& other) noexcept {
    if (this != &other) {
        Close();
        fd = std::exchange(other.fd, -1);
        memory = std::exchange(other.memory, {});
        chunk = other.chunk;
        memoryOffset = other.memoryOffset;
        buffer = std::move(other.buffer);
        begin = std::exchange(other.begin, nullptr);
        next = std::exchange(other.next, nullptr);
        end = std::exchange(other.end, nullptr);
        consumedBefore = other.consumedBefore;
        length = other.length;
    }
    return *this;
}

bool ByteSource::Open(const std::string& path) {
    Close();
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        return false;
    }
    fd = file.fd;
    length = file.size;
    buffer.resize(kBufferSize);
    return Rewind();
}

void ByteSource::Close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    memory = {};
    begin = next = end = nullptr;
    consumedBefore = 0;
    memoryOffset = 0;
    length = 0;
}

bool ByteSource::Rewind() {
    begin = next = end = nullptr;
    consumedBefore = 0;
    memoryOffset = 0;
    if (fd >= 0) {
        return ::lseek(fd, 0, SEEK_SET) == 0;
    }
    return memory.data() != nullptr;
}

bool ByteSource::Refill() {
    consumedBefore += static_cast<std::uint64_t>(end - begin);
    begin = next = end = nullptr;
    if (fd >= 0) {
        ssize_t got = 0;
        do {
            got = ::read(fd, buffer.data(), buffer.size());
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            return false;
        }
        begin = next = buffer.data();
        end = begin + got;
        return true;
    }
    if (memory.data() == nullptr || memoryOffset >= memory.size()) {
        return false;
    }
    const std::size_t take = std::min<std::size_t>(chunk, memory.size() - memoryOffset);
    begin = next = memory.data() + memoryOffset;
    end = begin + take;
    memoryOffset += take;
    return true;
}

std::size_t ByteSource::ReadBlock(std::uint8_t* out, std::size_t max) {
    std::size_t done = 0;
    while (done < max) {
        if (next == end && !Refill()) {
            break;
        }
        const std::size_t take = std::min<std::size_t>(max - done, end - next);
        std::memcpy(out + done, next, take);
        next += take;
        done += take;
    }
    return done;
}

} // namespace t8
