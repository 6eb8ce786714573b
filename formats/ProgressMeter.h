#pragma once

#include <cstdint>
#include <functional>

namespace t8 {

// Receives 0..100; called only when the percentage changes.
using ProgressFn = std::function<void(int percent)>;

// Turns a position within a length into percentages, passing each on once. 64-bit arithmetic
// keeps position * 100 exact for any file size; a precomputed threshold keeps the per-character
// check to one comparison.
class ProgressMeter {
public:
    ProgressMeter() = default;
    explicit ProgressMeter(const ProgressFn* callback_) : callback(callback_) {}

    // Always reports 0, as a fresh progress bar would show.
    void Start(std::uint64_t length_);
    void Update(std::uint64_t position) {
        if (position >= nextAt) {
            Advance(position);
        }
    }
    [[nodiscard]] int Last() const { return last; }
    // The first position that reports a new percentage (the maximum once none will).
    [[nodiscard]] std::uint64_t NextAt() const { return nextAt; }

private:
    void Advance(std::uint64_t position);

    const ProgressFn* callback = nullptr;
    std::uint64_t length = 0;
    std::uint64_t nextAt = UINT64_MAX;
    int last = 0;
};

} // namespace t8
