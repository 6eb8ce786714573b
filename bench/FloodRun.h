#pragma once

#include "bench/FloodChild.h"
#include "bench/FloodPty.h"

#include <cstddef>
#include <functional>
#include <string>

namespace t8::bench {

// Counts what the reader has taken in from what it prints.
using Tally = std::function<std::size_t(const char*, std::size_t)>;

// cat's output is the flood itself.
Tally CountBytes();
// The window's debug lines "... N bytes received"; other lines are passed over.
Tally CountReceivedLines();

struct FloodResult {
    double seconds = 0;
    std::size_t taken = 0;
    double cpuSeconds = 0;
};

// Writes `text` into the pty as fast as it is taken, until the reader says all is in.
FloodResult Flood(const FloodPty& pty, FloodChild& reader, Tally& tally, const std::string& text);

// Floods `runs` times and reports the best and the median run; returns the median run's
// seconds, or 0 when a flood was not taken in full.
double FloodAndReport(const char* name, const FloodPty& pty, FloodChild& reader, Tally tally,
                      const std::string& text, std::size_t runs);

} // namespace t8::bench
