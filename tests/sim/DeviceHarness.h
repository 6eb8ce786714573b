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
        : device_(options, [this](std::string_view text) { output_ += text; }) {
        device_.Start(now_);
    }

    // Types the text, byte by byte as a keypad would, and returns what the device answered.
    std::string Type(std::string_view text) {
        output_.clear();
        for (const char c : text) {
            device_.Feed(std::string_view(&c, 1), now_);
        }
        return std::exchange(output_, {});
    }
    // Sends the text as one block.
    std::string Send(std::string_view text) {
        output_.clear();
        device_.Feed(text, now_);
        return std::exchange(output_, {});
    }
    // The power-on prompt as said; none when the device would not greet.
    std::optional<std::string> Greet() {
        output_.clear();
        if (!device_.Greet()) {
            return std::nullopt;
        }
        return std::exchange(output_, {});
    }
    std::string Advance(std::uint64_t ms) {
        output_.clear();
        now_ += ms;
        device_.Tick(now_);
        return std::exchange(output_, {});
    }

    Device& device() { return device_; }
    DeviceState& state() { return device_.State(); }

private:
    std::uint64_t now_ = 1000;
    std::string output_;
    Device device_;
};

} // namespace t8::sim::test
