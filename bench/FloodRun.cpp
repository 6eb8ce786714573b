#include "bench/FloodRun.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace t8::bench {

namespace {

constexpr std::size_t kWritePiece = 64 * 1024;
constexpr std::chrono::seconds kFloodPatience{300};

} // namespace

Tally CountBytes() {
    return [](const char*, std::size_t count) { return count; };
}

Tally CountReceivedLines() {
    return [line = std::string()](const char* bytes, std::size_t count) mutable {
        constexpr std::string_view kMark = " bytes received";
        std::size_t total = 0;
        line.append(bytes, count);
        for (std::size_t end; (end = line.find('\n')) != std::string::npos;
             line.erase(0, end + 1)) {
            const std::size_t mark = line.rfind(kMark, end);
            if (mark == std::string::npos) {
                continue;
            }
            std::size_t digits = mark;
            while (digits > 0 && std::isdigit(static_cast<unsigned char>(line[digits - 1]))) {
                --digits;
            }
            if (digits < mark) {
                total += std::stoull(line.substr(digits, mark - digits));
            }
        }
        return total;
    };
}

FloodResult Flood(const FloodPty& pty, FloodChild& reader, Tally& tally, const std::string& text) {
    using Clock = std::chrono::steady_clock;
    FloodResult result;
    std::size_t written = 0;
    const double cpuBefore = reader.CpuSeconds();
    const auto start = Clock::now();
    const auto deadline = start + kFloodPatience;
    char block[kWritePiece];
    while (result.taken < text.size() && Clock::now() < deadline) {
        pollfd fds[2] = {{pty.master, POLLIN, 0}, {reader.output, POLLIN, 0}};
        if (written < text.size()) {
            fds[0].events |= POLLOUT;
        }
        if (::poll(fds, 2, 100) < 0 && errno != EINTR) {
            break;
        }
        if ((fds[0].revents & POLLOUT) != 0) {
            const std::size_t piece = std::min(kWritePiece, text.size() - written);
            const ssize_t count = ::write(pty.master, text.data() + written, piece);
            written += count > 0 ? static_cast<std::size_t>(count) : 0;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            [[maybe_unused]] const ssize_t ignored = ::read(pty.master, block, sizeof block);
        }
        for (ssize_t count; (count = ::read(reader.output, block, sizeof block)) > 0;) {
            result.taken += tally(block, static_cast<std::size_t>(count));
        }
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.cpuSeconds = reader.CpuSeconds() - cpuBefore;
    return result;
}

double Report(const char* name, std::vector<FloodResult> results, std::size_t size) {
    for (const FloodResult& result : results) {
        if (result.taken < size) {
            std::printf("  %-11s did not take the flood: %zu of %zu bytes in %.1f s\n", name,
                        result.taken, size, result.seconds);
            return 0;
        }
    }
    if (results.empty()) {
        return 0;
    }
    std::sort(results.begin(), results.end(),
              [](const FloodResult& a, const FloodResult& b) { return a.seconds < b.seconds; });
    const auto rate = [&](const FloodResult& result) {
        return static_cast<double>(size) / result.seconds / 1e6;
    };
    const FloodResult& best = results.front();
    const FloodResult& median = results[results.size() / 2];
    std::printf("  %-11s best %7.3f s %7.1f MB/s   median %7.3f s %7.1f MB/s   "
                "%.2f s of processor a run\n",
                name, best.seconds, rate(best), median.seconds, rate(median), median.cpuSeconds);
    return median.seconds;
}

} // namespace t8::bench
