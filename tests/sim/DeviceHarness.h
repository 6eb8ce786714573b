#pragma once

#include "sim/device/Device.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace t8::sim::test {

// A device with a manual clock whose output is collected for the test to read.
class DeviceHarness {
public:
    explicit DeviceHarness(DeviceOptions options = {})
        : device(options, [this](std::string_view text) { output += text; }) {
        device.Start(now);
    }

    // Types the text, byte by byte as a keypad would, and returns what the device answered.
    std::string Type(std::string_view text) {
        output.clear();
        for (const char c : text) {
            device.Feed(std::string_view(&c, 1), now);
        }
        return std::exchange(output, {});
    }
    // Sends the text as one block.
    std::string Send(std::string_view text) {
        output.clear();
        device.Feed(text, now);
        return std::exchange(output, {});
    }
    // The power-on prompt as said; none when the device would not greet.
    std::optional<std::string> Greet() {
        output.clear();
        if (!device.Greet()) {
            return std::nullopt;
        }
        return std::exchange(output, {});
    }
    std::string Advance(std::uint64_t ms) {
        output.clear();
        now += ms;
        device.Tick(now);
        return std::exchange(output, {});
    }

    Device& GetDevice() { return device; }
    DeviceState& State() { return device.State(); }

private:
    std::uint64_t now = 1000;
    std::string output;
    Device device;
};

} // namespace t8::sim::test
