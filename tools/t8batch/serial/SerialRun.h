#pragma once

#include "tools/t8batch/serial/SerialReservation.h"

#include <map>
#include <string>
#include <vector>

namespace t8 {

// A run's serial number in its TX files: each file is read with the reader of its format,
// the number written at its address in the records that hold it, and the result sent from a
// temporary file in the same format; the files themselves never change. One per run (and so
// one per port of a gang), with its own reservation.
class SerialRun {
public:
    explicit SerialRun(const std::string& serialPath) : reservation(serialPath) {}
    ~SerialRun();
    SerialRun(const SerialRun&) = delete;
    SerialRun& operator=(const SerialRun&) = delete;

    // Before any key is typed: the serial-number file is sound and every TX file holds data at
    // the number's address. The problem for the operator, or empty.
    [[nodiscard]] std::string Check(const std::vector<std::string>& txFiles);
    // Takes the number and writes each TX file's stamped copy.
    [[nodiscard]] std::string Start(const std::vector<std::string>& txFiles);
    // The file a TX line sends: the stamped copy of `path`, or `path` itself.
    [[nodiscard]] const std::string& SendPath(const std::string& path) const;
    // The run's verdict: the number is kept when it passed, else handed back.
    [[nodiscard]] std::string Finish(bool passed);

    [[nodiscard]] const SerialReservation& Reservation() const { return reservation; }
    // "1000 at 0x00007FF0 (4 bytes, little)" for the log.
    [[nodiscard]] std::string Describe() const;

private:
    [[nodiscard]] std::string Stamp(const std::string& path, std::uint64_t number,
                                    std::string* copy);
    void RemoveCopies();

    SerialReservation reservation;
    std::map<std::string, std::string> copies; // TX file -> its stamped copy
};

} // namespace t8
