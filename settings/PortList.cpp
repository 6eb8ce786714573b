#include "settings/PortList.h"

#include "link/PortFactory.h"
#include "link/PortMapping.h"
#include "settings/TypedPort.h"

#include <algorithm>
#include <charconv>

namespace t8 {
namespace {

// What the system says of the device at `path`; empty when it does not list it.
std::string DescriptionOf(const std::vector<SerialDeviceInfo>& devices, const std::string& path) {
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [&](const SerialDeviceInfo& d) { return d.path == path; });
    return found == devices.end() ? std::string() : found->Description();
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace

std::string SerialDeviceInfo::Description() const {
    std::string text;
    for (const std::string* part : {&product, &maker}) {
        if (!part->empty() && text.find(*part) == std::string::npos) {
            text += (text.empty() ? "" : ", ") + *part;
        }
    }
    if (!serialNumber.empty()) {
        text += (text.empty() ? "serial " : ", serial ") + serialNumber;
    }
    if (!target.empty()) {
        text += (text.empty() ? "= " : ", = ") + target;
    }
    return text;
}

std::string PortEntry::Text() const {
    std::string text;
    switch (kind) {
    case Kind::Numbered:
        text = std::to_string(number) + " - " + path;
        break;
    case Kind::Device:
        text = path;
        break;
    case Kind::RunOnly:
        text = path + " - " + PortList::kRunOnlyNote;
        break;
    }
    return description.empty() ? text : text + " (" + description + ")";
}

PortList::PortList(const PortScanner& scanner, const ComPortSettings& settings,
                   const std::string& runOverride)
    : deviceProblem(scanner.deviceProblem), devFolder(scanner.devFolder) {
    AddNumbered(scanner);
    AddDevices(scanner, settings);
    AddAddresses(settings);
    if (!runOverride.empty()) {
        entries.push_back({PortEntry::Kind::RunOnly, PortForDevicePath(runOverride), runOverride,
                           DescriptionOf(scanner.devices, runOverride)});
    }
    Select(settings, runOverride);
}

void PortList::AddNumbered(const PortScanner& scanner) {
    for (int number = kFirstScanned; number <= kLastScanned; ++number) {
        const std::string path = DevicePathForPort(number);
        if (path.empty() || !scanner.opens || !scanner.opens(path)) {
            continue;
        }
        entries.push_back(
            {PortEntry::Kind::Numbered, number, path, DescriptionOf(scanner.devices, path)});
    }
}

void PortList::AddDevices(const PortScanner& scanner, const ComPortSettings& settings) {
    for (const SerialDeviceInfo& device : scanner.devices) {
        // the mapped devices are the numbered entries, present or not
        if (PortForDevicePath(device.path) == 0 && !Listed(PortEntry::Kind::Device, device.path)) {
            entries.push_back({PortEntry::Kind::Device, 0, device.path, device.Description()});
        }
    }
    // a stored device the system does not list (a pty) is offered while it exists
    const std::string& stored = settings.devicePath;
    if (!stored.empty() && AddressScheme(stored).empty() &&
        !Listed(PortEntry::Kind::Device, stored) && scanner.exists && scanner.exists(stored)) {
        entries.push_back({PortEntry::Kind::Device, 0, stored, {}});
    }
}

// Network addresses are offered whether their server is up or not: the stored one, then those
// used before.
void PortList::AddAddresses(const ComPortSettings& settings) {
    std::vector<std::string> addresses = settings.recentAddresses;
    if (!AddressScheme(settings.devicePath).empty()) {
        addresses.insert(addresses.begin(), settings.devicePath);
    }
    for (const std::string& address : addresses) {
        if (!Listed(PortEntry::Kind::Device, address)) {
            entries.push_back({PortEntry::Kind::Device, 0, address, kUsedBeforeNote});
        }
    }
}

bool PortList::Listed(PortEntry::Kind kind, const std::string& path) const {
    return std::any_of(entries.begin(), entries.end(), [&](const PortEntry& entry) {
        return entry.kind == kind && entry.path == path;
    });
}

void PortList::Select(const ComPortSettings& settings, const std::string& runOverride) {
    const auto pick = [this](const auto& matches) {
        const auto found = std::find_if(entries.begin(), entries.end(), matches);
        return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    };
    if (!runOverride.empty()) {
        selected = pick([](const PortEntry& e) { return e.kind == PortEntry::Kind::RunOnly; });
    } else if (!settings.devicePath.empty()) {
        selected = pick([&](const PortEntry& e) {
            return e.kind == PortEntry::Kind::Device && e.path == settings.devicePath;
        });
    } else {
        selected = pick([&](const PortEntry& e) {
            return e.kind == PortEntry::Kind::Numbered && e.number == settings.comPort;
        });
    }
    if (selected < 0 && !entries.empty()) {
        selected = 0; // not listed (missing or held elsewhere): the first port, which OK takes
    }
}

PortChoice PortList::Interpret(const std::string& typed) const {
    const std::string text = Trimmed(typed);
    if (text.empty()) {
        return {};
    }
    if (std::string problem = TypedTextProblem(text); !problem.empty()) {
        return {std::nullopt, std::move(problem)};
    }
    for (const PortEntry& entry : entries) {
        if (entry.Text() == text ||
            (entry.kind != PortEntry::Kind::Numbered && entry.path == text)) {
            return {entry, {}};
        }
    }
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc() && end == text.data() + text.size()) {
        const std::string path = DevicePathForPort(number);
        if (path.empty()) {
            return {std::nullopt, "No device is mapped to the port number " + text +
                                      "; the numbers are 1 to 31 (1-8 ttyUSB0-7, 9-16 "
                                      "ttyACM0-7, 17-31 ttyS0-14)."};
        }
        return {PortEntry{PortEntry::Kind::Numbered, number, path, {}}, {}};
    }
    if (!AddressScheme(text).empty()) {
        std::string problem = NetworkAddressProblem(text);
        if (!problem.empty()) {
            return {std::nullopt, std::move(problem)};
        }
        return {PortEntry{PortEntry::Kind::Device, 0, text, {}}, {}};
    }
    return InterpretPath(text);
}

PortChoice PortList::InterpretPath(const std::string& text) const {
    const bool bare = text.front() != '/';
    const std::string path = bare ? PathInDevFolder(text, devFolder) : text;
    if (path.empty()) {
        return {std::nullopt, "\"" + text + "\" leaves " + devFolder +
                                  ": name a device in it, or its full path."};
    }
    if (std::string problem = deviceProblem ? deviceProblem(path) : std::string();
        !problem.empty()) {
        if (bare) {
            problem += " Name a device in " + devFolder +
                       " (such as ttyUSB0), its full path, or a network address "
                       "(rfc2217://HOST:PORT).";
        }
        return {std::nullopt, std::move(problem)};
    }
    // a mapped device typed by its path is its number, so the stored choice stays a number
    if (const int mapped = PortForDevicePath(path); mapped != 0) {
        return {PortEntry{PortEntry::Kind::Numbered, mapped, path, {}}, {}};
    }
    return {PortEntry{PortEntry::Kind::Device, 0, path, {}}, {}};
}

bool ApplyPortEntry(const std::optional<PortEntry>& entry, ComPortSettings& settings) {
    if (!entry) {
        return true; // nothing was chosen: the port stays as it was
    }
    switch (entry->kind) {
    case PortEntry::Kind::Numbered:
        settings.comPort = static_cast<std::uint8_t>(entry->number & 0xFF);
        settings.devicePath.clear();
        return false;
    case PortEntry::Kind::Device:
        settings.devicePath = entry->path;
        if (!AddressScheme(entry->path).empty()) {
            settings.recentAddresses = RememberAddress(settings.recentAddresses, entry->path);
        }
        return false;
    case PortEntry::Kind::RunOnly:
        break;
    }
    return true;
}

} // namespace t8
