#pragma once

#include <string>
#include <vector>

namespace t8 {

// Where the system shows what the doctor reads; tests build a fake tree and name its folders.
struct SystemRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
    std::string proc = "/proc";
    std::string udevData = "/run/udev/data"; // udev's record of each device's properties
};

// One thing found that keeps a serial device from working well, in the operator's words with
// what to do about it.
struct PortFinding {
    enum class Kind {
        Missing,      // no such device (or a link to nothing)
        Held,         // another process has it open
        Brltty,       // the braille daemon runs and takes USB serial adapters
        ModemManager, // it runs and may probe the device
        FtdiLatency,  // an FTDI adapter waits more than 1 ms before sending a short block
        Permission,   // this user may not open it
    };
    Kind kind;
    std::string text;
};

// Looks at a serial device the way an experienced Linux user would when it will not open or
// runs slowly: is it there, who holds it, is a daemon known to grab or probe adapters running,
// is an FTDI adapter's latency timer high, may this user open it. Reads only; changes nothing.
class PortDoctor {
public:
    explicit PortDoctor(SystemRoots roots = {});

    // `device`: a path, or a name in the dev folder ("ttyUSB0").
    [[nodiscard]] std::vector<PortFinding> Examine(const std::string& device) const;

    // A process, as /proc shows it.
    struct Process {
        int pid = 0;
        std::string name; // its comm
    };

private:
    [[nodiscard]] std::vector<Process> Processes() const;
    [[nodiscard]] std::vector<Process> Holders(const std::string& node,
                                               const std::vector<Process>& all) const;
    // brltty also for a device missing (it may be why); ModemManager only for one present.
    void CheckDaemons(const std::string& node, bool present, const std::vector<Process>& all,
                      std::vector<PortFinding>& findings) const;
    void CheckLatency(const std::string& node, std::vector<PortFinding>& findings) const;
    [[nodiscard]] std::string TtyFolder(const std::string& node) const;
    [[nodiscard]] std::string UsbIds(const std::string& node) const;
    [[nodiscard]] bool MarkedForModemManager(const std::string& node) const;

    SystemRoots roots;
};

// The findings as one text for a message box or a terminal; "No problems found ..." for none.
[[nodiscard]] std::string PortFindingsText(const std::string& device,
                                           const std::vector<PortFinding>& findings);

} // namespace t8
