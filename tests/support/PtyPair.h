#pragma once

#include "link/LineSettings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace t8::test {

// A pseudo-terminal for link tests: the test holds the master, the link opens the slave.
class PtyPair {
public:
    PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    ~PtyPair();

    [[nodiscard]] bool Ok() const { return master >= 0 && !slavePath.empty(); }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath; }
    // Writes everything, waiting up to `timeoutMs` at a time for room; false when the room
    // never came (the slave is not being read).
    bool WriteAll(const std::string& bytes, int timeoutMs = 5000);
    // Reads until `count` bytes arrived or `timeoutMs` passed.
    std::string ReadFor(std::size_t count, int timeoutMs);
    void CloseMaster();
    // Ptys opened until one is given `path`'s number, as other programs' terminals would be;
    // the last holds it (the kernel hands out the lowest free number first).
    static std::vector<std::unique_ptr<PtyPair>> TakeNumber(const std::string& path);

    // What the slave's settings are, read back from the master with the kernel's termios2.
    struct Readback {
        std::uint32_t ospeed = 0;
        std::uint32_t ispeed = 0;
        int dataBits = 0;
        bool parityOn = false, parityOdd = false, stickParity = false, twoStop = false;
        bool rtsCts = false, ixon = false, ixoff = false, raw = false, inpck = false;
    };
    [[nodiscard]] Readback ReadSettings() const;
    // The same fields decoded from flags, for what the driver may not keep.
    [[nodiscard]] static Readback Decode(std::uint32_t cflag, std::uint32_t iflag);

private:
    int master = -1;
    int holder = -1; // keeps the slave alive between the link's opens
    std::string slavePath;
};

} // namespace t8::test
