#pragma once

#include "bench/FloodChild.h"
#include "bench/FloodPty.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

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

// Reports the best and the median of `results` (floods of `size` bytes); returns the median
// run's seconds, or 0 when a flood was not taken in full.
double Report(const char* name, std::vector<FloodResult> results, std::size_t size);

} // namespace t8::bench
