#include "tools/t8batch/Transcript.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t8 {

namespace {

constexpr mode_t kNewFileMode = 0666; // narrowed by the umask

} // namespace

Transcript::Transcript(Clock::time_point start_) : start(start_) {}

Transcript::~Transcript() {
    Close();
}

bool Transcript::Open(const std::string& path, std::string& error) {
    // O_NONBLOCK: a FIFO without a reader fails at once (ENXIO) instead of holding the run.
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
                kNewFileMode);
    if (fd < 0) {
        const int openError = errno;
        struct stat info {};
        const bool fifo = ::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
        error = openError == ENXIO && fifo ? "it is a FIFO that no program reads"
                                           : std::strerror(openError);
        return false;
    }
    return true;
}

std::string Transcript::Escape(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (byte < 0x20 || byte > 0x7E) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

void Transcript::Header(std::string_view text) {
    const std::lock_guard lock(mutex);
    WriteLine(Escape(text) + "\n");
}

void Transcript::Bytes(std::string_view who, const std::uint8_t* bytes, std::size_t count) {
    if (fd < 0 || count == 0) {
        return;
    }
    std::string text(who);
    text += ": ";
    text += Escape({reinterpret_cast<const char*>(bytes), count});
    Write(text);
}

void Transcript::Note(std::string_view text) {
    if (fd >= 0) {
        Write(Escape(text));
    }
}

void Transcript::Close() {
    const std::lock_guard lock(mutex);
    if (fd >= 0 && ::close(fd) != 0 && failure.empty()) {
        failure = std::strerror(errno);
    }
    fd = -1;
}

void Transcript::Write(std::string_view text) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%8" PRId64 " ", static_cast<std::int64_t>(ms));
    std::string line = stamp;
    line += text;
    line += '\n';
    const std::lock_guard lock(mutex);
    WriteLine(line);
}

// A line goes out whole or the log has failed: the next line never starts inside it.
void Transcript::WriteLine(const std::string& line) {
    std::size_t done = 0;
    while (fd >= 0 && failure.empty() && done < line.size()) {
        const ssize_t put = ::write(fd, line.data() + done, line.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue; // the loop sees the signal through its own pipe
        } else if (put < 0 && errno == EAGAIN) {
            if (!WaitWritable()) {
                failure = "its reader took nothing for " + std::to_string(kStallMs / 1000) + " s";
            }
        } else {
            failure = std::strerror(put == 0 ? EIO : errno);
        }
    }
}

bool Transcript::WaitWritable() {
    const auto until = Clock::now() + std::chrono::milliseconds(kStallMs);
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        pollfd entry{fd, POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()) + 1);
        if (ready > 0) {
            return (entry.revents & POLLOUT) != 0 || (entry.revents & POLLERR) != 0;
        }
    }
    return false;
}

} // namespace t8
