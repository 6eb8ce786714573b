#include "tools/t8batch/serial/SerialReservation.h"

#include "formats/RegularFile.h"
#include "transfer/save/SaveFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace t8 {

namespace {

// A serial-number file is a few lines; anything larger is something else.
constexpr std::uint64_t kMaxFileBytes = 64 * 1024;

// The lock is a file of its own beside the real one: the file itself is replaced on each
// write, and a lock on the old one would not hold the next writer back.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        std::error_code error;
        const std::filesystem::path real = std::filesystem::weakly_canonical(path, error);
        const std::string lockPath = (error ? path : real.string()) + ".lock";
        fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            problem = "cannot open the lock " + lockPath + ": " + std::strerror(errno);
            return;
        }
        while (::flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                problem = "cannot lock " + lockPath + ": " + std::strerror(errno);
                return;
            }
        }
    }
    ~FileLock() {
        if (fd >= 0) {
            ::close(fd); // the lock goes with it
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    std::string problem;

private:
    int fd = -1;
};

void Remove(std::vector<std::uint64_t>& numbers, std::uint64_t value) {
    const auto found = std::find(numbers.begin(), numbers.end(), value);
    if (found != numbers.end()) {
        numbers.erase(found);
    }
}

} // namespace

std::string SerialReservation::Load(std::string& text, bool checkNumber) {
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        return "cannot read " + path + ": " + file.error;
    }
    text.clear();
    std::array<char, 4096> chunk{};
    ssize_t got = 0;
    while (text.size() <= kMaxFileBytes &&
           (got = ::read(file.fd, chunk.data(), chunk.size())) != 0) {
        if (got < 0 && errno != EINTR) {
            ::close(file.fd);
            return "cannot read " + path + ": " + std::strerror(errno);
        }
        text.append(chunk.data(), static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
    ::close(file.fd);
    if (text.size() > kMaxFileBytes) {
        return path + " is larger than 64 KiB: not a serial-number file";
    }
    SerialParse parse = ParseSerialFile(text, checkNumber);
    if (!parse.problem.empty()) {
        return path + ": " + parse.problem;
    }
    settings = std::move(parse.settings);
    return {};
}

template <typename Change> std::string SerialReservation::Update(bool checkNumber, Change change) {
    const FileLock lock(path);
    if (!lock.problem.empty()) {
        return lock.problem;
    }
    std::string text;
    if (std::string problem = Load(text, checkNumber); !problem.empty()) {
        return problem;
    }
    if (std::string problem = change(settings); !problem.empty()) {
        return problem;
    }
    const std::string out = RenderSerialFile(text, settings);
    const SaveResult saved =
        SaveFile(path, {reinterpret_cast<const std::uint8_t*>(out.data()), out.size()});
    return saved.saved ? "" : "cannot write " + path + ": " + saved.message;
}

std::string SerialReservation::Check() {
    std::string text;
    return Load(text, true);
}

std::string SerialReservation::Reserve() {
    std::string problem = Update(true, [this](SerialSettings& s) -> std::string {
        std::uint64_t taken = s.next;
        if (!s.returned.empty()) {
            const auto lowest = std::min_element(s.returned.begin(), s.returned.end());
            taken = *lowest;
            s.returned.erase(lowest);
        } else if (s.next > UINT64_MAX - s.step) {
            return path + ": next = " + std::to_string(s.next) + " cannot move on: next + step " +
                   "passes 2^64";
        } else {
            s.next += s.step;
        }
        std::string fit;
        (void)EncodeSerial(taken, s, fit);
        if (!fit.empty()) {
            return path + ": " + fit;
        }
        s.reserved.push_back(taken);
        number = taken;
        return {};
    });
    if (!problem.empty()) {
        number.reset(); // not written down: not taken
    }
    return problem;
}

std::string SerialReservation::Finish(bool passed) {
    if (!number || finished) {
        return {};
    }
    finished = true;
    // A run that took the last number still gives its verdict.
    return Update(false, [this, passed](SerialSettings& s) -> std::string {
        Remove(s.reserved, *number);
        if (!passed) {
            s.returned.push_back(*number);
        }
        return {};
    });
}

} // namespace t8
