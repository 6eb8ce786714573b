#include "link/PortDoctor.h"

#include "link/DeviceFile.h"
#include "link/DeviceIdentity.h"
#include "link/PermissionHint.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <unistd.h>

namespace t8 {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxUsbLevels = 6; // from a tty's device folder up to its USB device
constexpr int kBestLatencyMs = 1;
constexpr char kRulesFile[] = "/etc/udev/rules.d/99-t8.rules";
constexpr char kModemManagerIgnore[] = "E:ID_MM_DEVICE_IGNORE=1";

// Names from the system (a process may call itself anything) shown without control
// characters, so they cannot play tricks on a terminal or split a message.
std::string Printable(std::string text) {
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7f'; }, '?');
    return text;
}

std::string FirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Adapters on USB: the kinds the daemons below go after.
bool UsbTtyName(const std::string& name) {
    return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

std::string InQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FirstOf(const std::vector<PortDoctor::Process>& all, const std::string& name) {
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const PortDoctor::Process& p) { return p.name == name; });
    return found == all.end() ? std::string() : std::to_string(found->pid);
}

// The kernel's class of a character device ("tty", "mem", ...), from the sys folder; empty when
// it does not say (a pty, whose slaves have no entry there).
std::string DeviceClass(const std::string& sys, const std::string& node) {
    struct stat info {};
    if (::stat(node.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        return {};
    }
    const fs::path entry =
        fs::path(sys) / "dev" / "char" /
        (std::to_string(major(info.st_rdev)) + ":" + std::to_string(minor(info.st_rdev))) /
        "subsystem";
    std::error_code error;
    const fs::path target = fs::read_symlink(entry, error);
    return error ? std::string() : target.filename().string();
}

PortFinding MissingFinding(const std::string& path) {
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    if (!error) {
        return {PortFinding::Kind::Missing,
                Printable(path) + " is a link to " + Printable(target.string()) +
                    ", which leads to no device: the device is unplugged or came back under "
                    "another name (see ls -l /dev/serial/by-id)."};
    }
    return {PortFinding::Kind::Missing,
            Printable(path) + " does not exist: the device is unplugged, switched off or has "
                              "another name (see ls -l /dev/serial/by-id)."};
}

} // namespace

PortDoctor::PortDoctor(SystemRoots roots_) : roots(std::move(roots_)) {}

std::vector<PortFinding> PortDoctor::Examine(const std::string& device) const {
    std::vector<PortFinding> findings;
    if (device.empty()) {
        return {{PortFinding::Kind::Missing, "No device was named."}};
    }
    const std::string path = device.front() == '/' ? device : roots.dev + "/" + device;
    std::error_code error;
    const fs::path canonical = fs::canonical(path, error);
    const bool present = !error;
    const std::string node = present ? canonical.string() : path;
    const std::vector<Process> all = Processes();
    if (!present) {
        findings.push_back(MissingFinding(path));
    } else if (std::string problem = DeviceFileProblem(node); !problem.empty()) {
        // a folder, a file or a pipe is as good as missing: nothing else to look at
        return {{PortFinding::Kind::Missing, Printable(problem)}};
    } else if (const std::string kind = DeviceClass(roots.sys, node);
               !kind.empty() && kind != "tty") {
        // /dev/null and the like: whoever holds it open is no reason it fails
        return {{PortFinding::Kind::Missing, Printable(node + " is a device of the kind \"" + kind +
                                                       "\", not a serial device.")}};
    }
    for (const Process& holder : present ? Holders(node, all) : std::vector<Process>{}) {
        findings.push_back({PortFinding::Kind::Held, Printable(node) + " is open in the program " +
                                                         InQuotes(Printable(holder.name)) +
                                                         " (process " + std::to_string(holder.pid) +
                                                         "). Close it there, or end it: kill " +
                                                         std::to_string(holder.pid)});
    }
    CheckDaemons(node, present, all, findings);
    if (present) {
        CheckLatency(node, findings);
        if (::access(node.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
            findings.push_back(
                {PortFinding::Kind::Permission, PermissionAdvice(LookUpDeviceAccess(node))});
        }
    }
    return findings;
}

std::vector<PortDoctor::Process> PortDoctor::Processes() const {
    std::vector<Process> all;
    std::error_code error;
    for (fs::directory_iterator entry(roots.proc, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        int pid = 0;
        if (!AllDigits(name) ||
            std::from_chars(name.data(), name.data() + name.size(), pid).ec != std::errc()) {
            continue;
        }
        all.push_back({pid, FirstLine(entry->path() / "comm")});
    }
    std::sort(all.begin(), all.end(),
              [](const Process& a, const Process& b) { return a.pid < b.pid; });
    return all;
}

namespace {

// The program on the other side of a pty (a simulator) holds its master, whose fdinfo names the
// pty's number; it is the device, not a program in the way.
bool HoldsPtyMaster(const fs::path& processFolder, const std::string& number) {
    std::error_code error;
    const std::string wanted = "tty-index:\t" + number;
    for (fs::directory_iterator entry(processFolder / "fdinfo", error), end; !error && entry != end;
         entry.increment(error)) {
        std::ifstream info(entry->path());
        for (std::string line; std::getline(info, line);) {
            if (line == wanted) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

std::vector<PortDoctor::Process> PortDoctor::Holders(const std::string& node,
                                                     const std::vector<Process>& all) const {
    struct stat device {};
    if (::stat(node.c_str(), &device) != 0) {
        return {};
    }
    std::vector<Process> holders;
    const bool ourProc = fs::path(roots.proc).lexically_normal() == "/proc";
    const bool pty = IsPtyNode(node);
    const std::string ptyNumber = fs::path(node).filename().string();
    for (const Process& process : all) {
        const fs::path folder = fs::path(roots.proc) / std::to_string(process.pid);
        if ((ourProc && process.pid == ::getpid()) || (pty && HoldsPtyMaster(folder, ptyNumber))) {
            continue;
        }
        std::error_code error;
        const fs::path fds = folder / "fd";
        for (fs::directory_iterator entry(fds, error), end; !error && entry != end;
             entry.increment(error)) {
            struct stat open {};
            if (::stat(entry->path().c_str(), &open) == 0 && SameFile(open, device)) {
                holders.push_back(process);
                break;
            }
        }
    }
    return holders;
}

void PortDoctor::CheckDaemons(const std::string& node, bool present,
                              const std::vector<Process>& all,
                              std::vector<PortFinding>& findings) const {
    const std::string name = fs::path(node).filename().string();
    const std::string ids = UsbIds(node);
    if (ids.empty() && !UsbTtyName(name)) {
        return; // both go after USB adapters only
    }
    if (const std::string pid = FirstOf(all, "brltty"); !pid.empty()) {
        findings.push_back(
            {PortFinding::Kind::Brltty,
             "brltty (process " + pid +
                 "), the braille display service, is running. It takes USB serial adapters "
                 "for braille displays, and the adapter's port disappears. Without a braille "
                 "display, stop it for good:\n  sudo systemctl mask brltty-udev.service\n  sudo "
                 "systemctl stop brltty-udev.service brltty.service\nor remove it: sudo apt "
                 "remove brltty"});
    }
    const std::string modemManager = FirstOf(all, "ModemManager");
    if (!present || modemManager.empty() || MarkedForModemManager(node)) {
        return;
    }
    const std::string match = ids.empty() ? "KERNEL==" + InQuotes(Printable(name)) : ids;
    findings.push_back(
        {PortFinding::Kind::ModemManager,
         "ModemManager (process " + modemManager + ") is running and may probe " + Printable(node) +
             " as a modem (sending it AT commands) when it appears. Mark the device to be "
             "ignored with this line in " +
             kRulesFile + ":\n  " + match +
             ", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\nthen: sudo udevadm control --reload && sudo "
             "udevadm trigger"});
}

void PortDoctor::CheckLatency(const std::string& node, std::vector<PortFinding>& findings) const {
    const fs::path device = fs::path(TtyFolder(node)) / "device";
    std::error_code error;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    if (error || driver.filename() != "ftdi_sio") {
        return;
    }
    const std::string text = FirstLine(device / "latency_timer");
    int latencyMs = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), latencyMs).ec != std::errc() ||
        latencyMs <= kBestLatencyMs) {
        return;
    }
    const std::string name = fs::path(node).filename().string();
    findings.push_back(
        {PortFinding::Kind::FtdiLatency,
         Printable(node) + " is an FTDI adapter whose latency timer is " +
             std::to_string(latencyMs) +
             " ms: it holds short blocks back that long, which slows transfers. Set it to 1 ms "
             "now:\n  echo 1 | sudo tee " +
             Printable(roots.sys + "/bus/usb-serial/devices/" + name + "/latency_timer") +
             "\nand for good with this line in " + kRulesFile +
             ":\n  ACTION==\"add\", SUBSYSTEM==\"usb-serial\", DRIVER==\"ftdi_sio\", "
             "ATTR{latency_timer}=\"1\""});
}

std::string PortDoctor::TtyFolder(const std::string& node) const {
    return roots.sys + "/class/tty/" + fs::path(node).filename().string();
}

// The USB device above the tty: its vendor and product as a udev rule matches them.
std::string PortDoctor::UsbIds(const std::string& node) const {
    std::error_code error;
    fs::path folder = fs::canonical(fs::path(TtyFolder(node)) / "device", error);
    for (int level = 0; !error && level < kMaxUsbLevels && folder.has_relative_path(); ++level) {
        const std::string vendor = FirstLine(folder / "idVendor");
        const std::string product = FirstLine(folder / "idProduct");
        if (!vendor.empty() && !product.empty()) {
            return "ATTRS{idVendor}==" + InQuotes(Printable(vendor)) +
                   ", ATTRS{idProduct}==" + InQuotes(Printable(product));
        }
        folder = folder.parent_path();
    }
    return {};
}

// udev keeps a device's properties in a file named after its numbers ("c188:0").
bool PortDoctor::MarkedForModemManager(const std::string& node) const {
    std::string numbers = FirstLine(fs::path(TtyFolder(node)) / "dev");
    struct stat info {};
    if (numbers.empty() && ::stat(node.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) {
        numbers = std::to_string(major(info.st_rdev)) + ":" + std::to_string(minor(info.st_rdev));
    }
    if (numbers.empty() || numbers.find('/') != std::string::npos) {
        return false;
    }
    std::ifstream data(fs::path(roots.udevData) / ("c" + numbers));
    for (std::string line; std::getline(data, line);) {
        if (line == kModemManagerIgnore) {
            return true;
        }
    }
    return false;
}

std::string PortFindingsText(const std::string& device, const std::vector<PortFinding>& findings) {
    if (findings.empty()) {
        return "No problems found with " + Printable(device) + ".";
    }
    std::string text = "Checked " + Printable(device) + ":";
    for (const PortFinding& finding : findings) {
        text += "\n\n" + finding.text;
    }
    return text;
}

} // namespace t8
