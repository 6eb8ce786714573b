#include "link/PortMapping.h"

#include <array>
#include <charconv>
#include <string_view>

namespace t8 {

namespace {

struct PortRange {
    int first;
    int last;
    std::string_view prefix;
};

constexpr std::array kRanges{
    PortRange{1, 8, "/dev/ttyUSB"},
    PortRange{9, 16, "/dev/ttyACM"},
    PortRange{17, 31, "/dev/ttyS"},
};

} // namespace

std::string DevicePathForPort(int comPort) {
    for (const auto& range : kRanges) {
        if (comPort >= range.first && comPort <= range.last) {
            return std::string(range.prefix) + std::to_string(comPort - range.first);
        }
    }
    return {};
}

int PortForDevicePath(const std::string& path) {
    const std::string_view view(path);
    for (const auto& range : kRanges) {
        if (!view.starts_with(range.prefix)) {
            continue;
        }
        const std::string_view digits = view.substr(range.prefix.size());
        int index = -1;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
        if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty() &&
            index >= 0 && index <= range.last - range.first) {
            return range.first + index;
        }
    }
    return 0;
}

} // namespace t8
