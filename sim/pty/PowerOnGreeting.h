#pragma once

#include <cstdint>
#include <optional>

namespace t8::sim {

// When the simulated T8 shows its power-on prompt. The device counts as switched on when a
// host first opens the line (before that nobody listens). A host opens, configures and purges
// both queues, so the prompt waits until that is over; a purge that still swallows it brings
// it once more. A host that talks first gets its answer instead. Later opens (the host reopens
// the port around its settings dialog and the library start) do not switch the device off and
// on, so they are not greeted.
class PowerOnGreeting {
public:
    // From noticing the open to the prompt: the host's configuration and purge come first.
    static constexpr std::uint64_t kSettleMs = 100;
    // From a purge to the prompt; purges come in bursts (at configuration and at open).
    static constexpr std::uint64_t kAfterPurgeMs = 20;
    // A purge this soon after the prompt went out is taken to have swallowed it.
    static constexpr std::uint64_t kSwallowedWithinMs = 1000;

    void HostOpened(std::uint64_t nowMs);
    // The host discarded what it had not yet read from the device.
    void HostPurged(std::uint64_t nowMs);
    // The host sent something: the device answers that instead.
    void HostSpoke();
    // The prompt went out.
    void Said(std::uint64_t nowMs);

    [[nodiscard]] std::optional<std::uint64_t> DueMs() const { return due; }
    [[nodiscard]] bool Due(std::uint64_t nowMs) const { return due && nowMs >= *due; }

private:
    enum class Stage : std::uint8_t { Off, Opened, Said, Done };

    Stage stage = Stage::Off;
    std::optional<std::uint64_t> due;
    std::uint64_t saidMs = 0;
    bool repeated = false;
};

} // namespace t8::sim
