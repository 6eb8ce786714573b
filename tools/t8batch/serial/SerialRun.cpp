#include "tools/t8batch/serial/SerialRun.h"

#include "formats/FileStamp.h"
#include "formats/RegularFile.h"
#include "transfer/save/SaveFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace t8 {

namespace {

// TX files are sent whole; one larger than this is no device image.
constexpr std::uint64_t kMaxTxBytes = std::uint64_t{256} << 20;

std::string ReadWhole(const std::string& path, std::vector<std::uint8_t>& bytes) {
    const RegularFile file = OpenRegularFile(path);
    if (!file.Ok()) {
        return file.error;
    }
    if (file.size > kMaxTxBytes) {
        ::close(file.fd);
        return "it is larger than 256 MiB";
    }
    bytes.resize(file.size);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ::close(file.fd);
            return got < 0 ? std::strerror(errno) : "it shrank while it was read";
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(file.fd);
    return {};
}

// A private file in the temporary folder, named after the TX file it stands for.
std::string WriteCopy(const std::string& path, const std::vector<std::uint8_t>& bytes,
                      std::string& copy) {
    const char* folder = std::getenv("TMPDIR");
    const std::string suffix = "-" + std::filesystem::path(path).filename().string();
    std::string name = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                       "/t8serial-XXXXXX" + suffix;
    const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        return "cannot make a temporary file: " + std::string(std::strerror(errno));
    }
    copy = name;
    const bool written = WriteAll(fd, bytes, false);
    const int error = errno;
    if (::close(fd) != 0 || !written) {
        return "cannot write the temporary file " + name + ": " +
               std::strerror(written ? errno : error);
    }
    return {};
}

} // namespace

SerialRun::~SerialRun() {
    RemoveCopies();
}

void SerialRun::RemoveCopies() {
    for (const auto& [path, copy] : copies) {
        ::unlink(copy.c_str());
    }
    copies.clear();
}

std::string SerialRun::Stamp(const std::string& path, std::uint64_t number, std::string* copy) {
    std::string problem;
    const std::vector<std::uint8_t> value = EncodeSerial(number, reservation.Settings(), problem);
    if (!problem.empty()) {
        return problem;
    }
    std::vector<std::uint8_t> bytes;
    if (problem = ReadWhole(path, bytes); !problem.empty()) {
        return "cannot read the TX file " + path + ": " + problem;
    }
    StampResult stamped = StampFile(bytes, reservation.Settings().address, value);
    if (!stamped.problem.empty()) {
        return "cannot write the serial number into the TX file " + path + ": " + stamped.problem;
    }
    return copy == nullptr ? "" : WriteCopy(path, stamped.bytes, *copy);
}

std::string SerialRun::Check(const std::vector<std::string>& txFiles) {
    if (std::string problem = reservation.Check(); !problem.empty()) {
        return problem;
    }
    for (const std::string& path : txFiles) {
        if (std::string problem = Stamp(path, reservation.Settings().next, nullptr);
            !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string SerialRun::Start(const std::vector<std::string>& txFiles) {
    if (std::string problem = reservation.Reserve(); !problem.empty()) {
        return problem;
    }
    for (const std::string& path : txFiles) {
        if (copies.count(path) != 0) {
            continue;
        }
        std::string copy;
        std::string problem = Stamp(path, *reservation.Number(), &copy);
        if (!copy.empty()) {
            copies[path] = copy;
        }
        if (!problem.empty()) {
            return problem;
        }
    }
    return {};
}

const std::string& SerialRun::SendPath(const std::string& path) const {
    const auto found = copies.find(path);
    return found == copies.end() ? path : found->second;
}

std::string SerialRun::Finish(bool passed) {
    RemoveCopies();
    return reservation.Finish(passed);
}

std::string SerialRun::Describe() const {
    const SerialSettings& s = reservation.Settings();
    char text[160];
    std::snprintf(text, sizeof text, "%llu at 0x%08X (%u %s, %s)",
                  static_cast<unsigned long long>(reservation.Number().value_or(0)), s.address,
                  s.bytes, s.bytes == 1 ? "byte" : "bytes", EncodingName(s.encoding));
    return text;
}

} // namespace t8
