#include "tools/t8batch/GangPorts.h"

#include "link/PortFactory.h"

#include <algorithm>
#include <filesystem>
#include <glob.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace t8 {

namespace {

namespace fs = std::filesystem;

// The paths `pattern` matches, sorted; empty for none.
std::vector<std::string> Matches(const std::string& pattern) {
    glob_t found{};
    std::vector<std::string> paths;
    if (::glob(pattern.c_str(), GLOB_NOSORT, nullptr, &found) == 0) {
        paths.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    }
    ::globfree(&found);
    std::sort(paths.begin(), paths.end());
    return paths;
}

// What tells two names of one device apart from two devices: the device's number for a device
// (two nodes of one device are one port), the file for anything else, the text for an address
// or a path that leads nowhere.
std::string Identity(const std::string& port) {
    struct stat info {};
    if (!AddressScheme(port).empty() || ::stat(port.c_str(), &info) != 0) {
        std::error_code error;
        const fs::path canonical = fs::weakly_canonical(port, error);
        return "name " + (error ? port : canonical.string());
    }
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        return "device " + std::to_string(info.st_rdev);
    }
    return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

std::string Sanitized(const std::string& text) {
    std::string name;
    for (const char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    return name;
}

} // namespace

bool IsPortPattern(const std::string& port) {
    std::error_code error;
    return AddressScheme(port).empty() && port.find_first_of("*?[") != std::string::npos &&
           !fs::exists(port, error);
}

std::string ShortPortName(const std::string& address) {
    std::string name;
    if (const std::string_view scheme = AddressScheme(address); !scheme.empty()) {
        name = address.substr(scheme.size() + 3);
        name = name.substr(0, name.find('/'));
    } else {
        std::string path = address;
        while (path.size() > 1 && path.back() == '/') {
            path.pop_back();
        }
        name = path.substr(path.find_last_of('/') + 1);
    }
    name = Sanitized(name);
    return name.empty() || name.find_first_not_of('.') == std::string::npos ? "port" : name;
}

std::string PortFileName(const std::string& path, const std::string& name) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        return path;
    }
    const std::size_t base = path.find_last_of('/') + 1; // 0 when there is no folder
    const std::size_t dot = path.find_last_of('.');
    const bool extension =
        dot != std::string::npos && dot > base && path.find_first_not_of('.', base) < dot;
    return extension ? path.substr(0, dot) + "." + name + path.substr(dot) : path + "." + name;
}

GangPorts ExpandPorts(const std::vector<std::string>& given) {
    GangPorts gang;
    std::map<std::string, std::string> seen; // identity: the port as named
    std::set<std::string> names;
    for (const std::string& port : given) {
        std::vector<std::string> paths{port};
        if (IsPortPattern(port)) {
            paths = Matches(port);
            if (paths.empty()) {
                gang.error = "--port " + port + " matches no device";
                return gang;
            }
        }
        for (const std::string& path : paths) {
            const auto [at, added] = seen.emplace(Identity(path), path);
            if (!added) {
                gang.error = "--port " + path + " is the same device as " + at->second;
                return gang;
            }
            const std::string base = ShortPortName(path);
            std::string name = base;
            for (int count = 2; !names.insert(name).second; ++count) {
                name = base + "-" + std::to_string(count);
            }
            gang.ports.push_back({path, name});
        }
    }
    return gang;
}

} // namespace t8
