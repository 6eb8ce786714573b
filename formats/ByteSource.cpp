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

ByteSource::ByteSource(std::span<const std::uint8_t> memory, std::size_t chunk)
    : memory_(memory), chunk_(chunk == 0 ? kBufferSize : chunk), length_(memory.size()) {
    // A non-null data pointer marks the memory mode, also for an empty block.
    static constexpr std::uint8_t kEmpty = 0;
    if (memory_.data() == nullptr) {
        memory_ = std::span<const std::uint8_t>(&kEmpty, 0);
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
        fd_ = std::exchange(other.fd_, -1);
        memory_ = std::exchange(other.memory_, {});
        chunk_ = other.chunk_;
        memoryOffset_ = other.memoryOffset_;
        buffer_ = std::move(other.buffer_);
        begin_ = std::exchange(other.begin_, nullptr);
        next_ = std::exchange(other.next_, nullptr);
        end_ = std::exchange(other.end_, nullptr);
        consumedBefore_ = other.consumedBefore_;
        length_ = other.length_;
    }
    return *this;
}

bool ByteSource::Open(const std::string& path) {
    Close();
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        return false;
    }
    fd_ = file.fd;
    length_ = file.size;
    buffer_.resize(kBufferSize);
    return Rewind();
}

void ByteSource::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    memory_ = {};
    begin_ = next_ = end_ = nullptr;
    consumedBefore_ = 0;
    memoryOffset_ = 0;
    length_ = 0;
}

bool ByteSource::Rewind() {
    begin_ = next_ = end_ = nullptr;
    consumedBefore_ = 0;
    memoryOffset_ = 0;
    if (fd_ >= 0) {
        return ::lseek(fd_, 0, SEEK_SET) == 0;
    }
    return memory_.data() != nullptr;
}

bool ByteSource::Refill() {
    consumedBefore_ += static_cast<std::uint64_t>(end_ - begin_);
    begin_ = next_ = end_ = nullptr;
    if (fd_ >= 0) {
        ssize_t got = 0;
        do {
            got = ::read(fd_, buffer_.data(), buffer_.size());
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            return false;
        }
        begin_ = next_ = buffer_.data();
        end_ = begin_ + got;
        return true;
    }
    if (memory_.data() == nullptr || memoryOffset_ >= memory_.size()) {
        return false;
    }
    const std::size_t take = std::min<std::size_t>(chunk_, memory_.size() - memoryOffset_);
    begin_ = next_ = memory_.data() + memoryOffset_;
    end_ = begin_ + take;
    memoryOffset_ += take;
    return true;
}

std::size_t ByteSource::ReadBlock(std::uint8_t* out, std::size_t max) {
    std::size_t done = 0;
    while (done < max) {
        if (next_ == end_ && !Refill()) {
            break;
        }
        const std::size_t take = std::min<std::size_t>(max - done, end_ - next_);
        std::memcpy(out + done, next_, take);
        next_ += take;
        done += take;
    }
    return done;
}

} // namespace t8
