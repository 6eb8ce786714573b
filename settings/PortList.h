#pragma once

#include "settings/ComPortSettings.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace t8 {

// What the system knows of a serial device. A link (/dev/serial/by-id/...) names its target.
struct SerialDeviceInfo {
    std::string path;
    std::string product;
    std::string maker;
    std::string serialNumber;
    std::string target; // where a link points; empty for the device itself

    [[nodiscard]] std::string Description() const;
};

// One entry of the port list: a port number (through the port mapping), an explicit device
// stored in "Device", or the device named for this run only.
struct PortEntry {
    enum class Kind : std::uint8_t { Numbered, Device, RunOnly };

    Kind kind = Kind::Numbered;
    int number = 0;
    std::string path;
    std::string description;

    // The list's text: the number first for a numbered entry, so its decimal value is the port.
    [[nodiscard]] std::string Text() const;
};

// What the scan asks of the system; tests give their own.
struct PortScanner {
    // The device exists and could be opened (it is closed again at once).
    std::function<bool(const std::string&)> opens;
    // The path names something that exists.
    std::function<bool(const std::string&)> exists;
    // The serial devices the system lists, links included.
    std::vector<SerialDeviceInfo> devices;
    // Why a typed path is no serial device (DeviceFileProblem); empty when it may be one.
    std::function<std::string(const std::string&)> deviceProblem;
    // Where a name typed without a folder is looked for.
    std::string devFolder = "/dev";
};

// What a typed text chooses: an entry, nothing (an empty text: the port stays), or a refusal
// with its reason.
struct PortChoice {
    std::optional<PortEntry> entry;
    std::string problem;
};

// The "&Port:" list: every port number from 0 to 31 whose device opens, then the other serial
// devices present, the stored explicit device, the network addresses used before, and the
// device this run was started on.
class PortList {
public:
    static constexpr int kFirstScanned = 0;
    static constexpr int kLastScanned = 31;
    static constexpr const char* kRunOnlyNote = "this run only (--port)";
    static constexpr const char* kUsedBeforeNote = "network, used before";

    PortList() = default;
    PortList(const PortScanner& scanner, const ComPortSettings& settings,
             const std::string& runOverride);

    [[nodiscard]] const std::vector<PortEntry>& Entries() const { return entries; }
    // The entry for the settings: this run's device, else the stored device, else the port
    // number; the first entry when that is not listed; -1 for an empty list.
    [[nodiscard]] int Selected() const { return selected; }

    // What a typed text means: an entry's own text, a port number, a device path, a name in
    // /dev or a network address; or why the page cannot use it.
    [[nodiscard]] PortChoice Interpret(const std::string& typed) const;

private:
    void AddNumbered(const PortScanner& scanner);
    void AddDevices(const PortScanner& scanner, const ComPortSettings& settings);
    void AddAddresses(const ComPortSettings& settings);
    [[nodiscard]] PortChoice InterpretPath(const std::string& text) const;
    void Select(const ComPortSettings& settings, const std::string& runOverride);
    [[nodiscard]] bool Listed(PortEntry::Kind kind, const std::string& path) const;

    std::vector<PortEntry> entries;
    int selected = -1;
    std::function<std::string(const std::string&)> deviceProblem;
    std::string devFolder;
};

// The page's OK with `entry` chosen (none: the list was empty and nothing typed). Returns true
// when this run's device stays in force; the settings keep their stored port then. A network
// address chosen goes first in the recent addresses.
bool ApplyPortEntry(const std::optional<PortEntry>& entry, ComPortSettings& settings);

} // namespace t8
