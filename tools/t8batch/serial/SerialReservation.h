#pragma once

#include "tools/t8batch/serial/SerialFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace t8 {

// One part's serial number, taken from the serial-number file under a lock so that runs
// sharing the file never take the same number: a handed-back number first, else `next`, which
// moves on by `step`. The number is noted as reserved in the file until the run's verdict:
// a pass keeps it taken, a failure hands it back for the next run. A run killed outright leaves
// it in `reserved`, where it is never handed out again. Each port of a run reserves its own.
class SerialReservation {
public:
    explicit SerialReservation(std::string path_) : path(std::move(path_)) {}

    // Reads and checks the file without changing it; an empty string when it is sound.
    [[nodiscard]] std::string Check();
    // Takes a number; an empty string when one was taken.
    [[nodiscard]] std::string Reserve();
    // The verdict: passed keeps the number, anything else hands it back. Once only.
    [[nodiscard]] std::string Finish(bool passed);

    [[nodiscard]] const std::optional<std::uint64_t>& Number() const { return number; }
    [[nodiscard]] const SerialSettings& Settings() const { return settings; }
    [[nodiscard]] const std::string& Path() const { return path; }

private:
    // Runs `change` on the file's settings under the lock and writes the file back when it
    // returns true; the problem, or empty.
    template <typename Change> std::string Update(bool checkNumber, Change change);
    [[nodiscard]] std::string Load(std::string& text, bool checkNumber);

    std::string path;
    SerialSettings settings;
    std::optional<std::uint64_t> number;
    bool finished = false;
};

} // namespace t8
