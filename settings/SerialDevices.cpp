#include "settings/SerialDevices.h"

#include "link/DeviceIdentity.h"
#include "link/SerialPort.h"
#include "settings/TypedPort.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace t8 {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLinkFolders[] = {kSerialByIdFolder, "/dev/serial/by-path"};

SerialDeviceInfo FromQt(const QSerialPortInfo& port) {
    SerialDeviceInfo info;
    info.path = port.systemLocation().toStdString();
    // a plain UART describes itself by its own name; that says nothing new
    if (port.description() != port.portName()) {
        info.product = port.description().toStdString();
    }
    info.maker = port.manufacturer().toStdString();
    info.serialNumber = port.serialNumber().toStdString();
    return info;
}

void AddLinks(const char* folder, std::vector<SerialDeviceInfo>& devices) {
    std::error_code error;
    std::vector<SerialDeviceInfo> links;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const fs::path target = fs::canonical(entry.path(), error);
        if (error) {
            continue;
        }
        SerialDeviceInfo link;
        link.path = entry.path().string();
        link.target = target.string();
        const auto known = std::find_if(devices.begin(), devices.end(),
                                        [&](const auto& d) { return d.path == link.target; });
        if (known != devices.end()) {
            link.product = known->product;
            link.maker = known->maker;
            link.serialNumber = known->serialNumber;
        }
        links.push_back(std::move(link));
    }
    std::sort(links.begin(), links.end(),
              [](const auto& a, const auto& b) { return a.path < b.path; });
    devices.insert(devices.end(), links.begin(), links.end());
}

} // namespace

std::vector<SerialDeviceInfo> ListSerialDevices() {
    std::vector<SerialDeviceInfo> devices;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        devices.push_back(FromQt(port));
    }
    std::sort(devices.begin(), devices.end(),
              [](const auto& a, const auto& b) { return a.path < b.path; });
    for (const char* folder : kLinkFolders) {
        AddLinks(folder, devices);
    }
    return devices;
}

PortScanner SystemPortScanner() {
    PortScanner scanner;
    scanner.opens = [](const std::string& path) {
        SerialPort port;
        const bool opened = port.Open(path);
        port.Close();
        return opened;
    };
    scanner.exists = [](const std::string& path) {
        std::error_code error;
        return fs::exists(path, error);
    };
    scanner.devices = ListSerialDevices();
    scanner.deviceProblem = DeviceFileProblem;
    return scanner;
}

} // namespace t8
