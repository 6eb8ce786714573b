#pragma once

#include "sim/device/DeviceState.h"
#include "sim/device/Dialogue.h"
#include "sim/device/HostLine.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace t8::sim {

struct DeviceOptions {
    Format format = Format::Intel;
    std::uint32_t baudRate = 115200;
    std::uint32_t quietGapMs = 1000;
    bool checkLine = true;         // host bytes at another rate or frame are line noise
    bool silent = false;           // read and drop everything, never answer
    std::size_t corruptRecord = 0; // spoil this record of the next SE/SX output
    bool xoff = false; // XOFF when the receive backlog passes xoffBacklog, XON when empty
    std::uint32_t processRate = 0; // bytes per second a receive takes in; 0 without limit
    std::size_t xoffBacklog = 256;
};

// The simulated T8: fed with what the host writes and ticked with the time, it writes its
// answers to the output sink. Pure logic; the pty layer does the I/O.
class Device {
public:
    using Sink = std::function<void(std::string_view)>;

    // Input waiting beyond this while a receive is paced is lost (and counted).
    static constexpr std::size_t kMaxBacklog = 1U << 20;
    // A paced backlog is worked off in slices of this much time.
    static constexpr std::uint64_t kBacklogSliceMs = 10;

    Device(const DeviceOptions& options_, Sink output_, Sink log_ = {});
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device();

    // Sets the clock. No prompt yet: nobody is listening until a host opens the line.
    void Start(std::uint64_t nowMs);
    // Switched off and on again (unplugged and plugged in): a dialogue, typed text and waiting
    // input are gone and a running library has stopped; the memories and settings stay.
    void PowerCycle(std::uint64_t nowMs);
    // The prompt a device shows when it is switched on, said only at rest (at the prompt with
    // nothing typed, no dialogue open); false when it was not said.
    bool Greet();
    void Feed(std::span<const std::uint8_t> bytes, std::uint64_t nowMs);
    void Feed(std::string_view text, std::uint64_t nowMs);
    void Tick(std::uint64_t nowMs);
    // When Tick() next has work (a paced backlog, a receive's quiet gap); none while the device
    // only waits for the host.
    [[nodiscard]] std::optional<std::uint64_t> NextTickMs() const;

    // The host's line settings, as the pty layer last read them.
    void SetHostLine(const HostLine& hostLine_) { hostLine = hostLine_; }
    [[nodiscard]] bool LineMatches() const;

    [[nodiscard]] std::uint32_t BaudRate() const { return state.baudRate; }
    [[nodiscard]] DeviceState& State() { return state; }
    [[nodiscard]] const DeviceState& State() const { return state; }
    [[nodiscard]] bool InDialogue() const { return active != nullptr; }
    [[nodiscard]] std::size_t Backlog() const { return backlog.size(); }
    [[nodiscard]] std::size_t NoiseBytes() const { return noiseBytes; }
    [[nodiscard]] std::size_t LostBytes() const { return lostBytes; }

private:
    [[nodiscard]] bool Paced() const;
    void Take(std::uint8_t byte);
    void Process(std::uint8_t byte);
    void PromptKey(std::uint8_t byte);
    void PromptChar(char c);
    void RunCommand(std::string_view letters);
    void StartLibrary();
    void AfterDialogueStep();
    void ShowPrompt();
    void DrainBacklog();
    void UpdateFlow();
    void Emit(std::string_view text);
    void Log(const std::string& text) const;

    DeviceOptions options;
    DeviceState state;
    Sink output;
    Sink log;
    DialogueContext context;
    std::unique_ptr<Dialogue> active;
    std::optional<HostLine> hostLine;
    std::string line; // typed at the prompt
    bool lastWasCr = false;
    bool atLineStart = false;
    std::deque<std::uint8_t> backlog;
    std::uint64_t lastDrainMs = 0;
    std::uint64_t credit = 0; // byte-milliseconds of processing not used yet
    bool xoffSent = false;
    std::size_t noiseBytes = 0;
    std::size_t lostBytes = 0;
};

} // namespace t8::sim
