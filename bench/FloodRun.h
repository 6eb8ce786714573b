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

// A program that reads the flood, with what it took so far.
struct FloodReader {
    const char* name;
    FloodChild& child;
    Tally tally;
    std::vector<FloodResult> results;
};

// Floods `runs` times for each reader in turn, the others stopped meanwhile, so that all of
// them meet the same machine even when its load changes during the runs; reports each one's
// best and median run and the last one's rate as a share of the first one's. False when a
// flood was not taken in full.
bool FloodInTurns(const FloodPty& pty, std::vector<FloodReader>& readers, const std::string& text,
                  std::size_t runs);

} // namespace t8::bench
