#include "sim/device/Device.h"

#include "sim/device/CommandTable.h"
#include "sim/device/RangeText.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace t8::sim {
namespace {

constexpr std::string_view kPrompt = "\r\n>";
// What the host types at the prompt to start a downloaded library.
constexpr std::string_view kLibraryStart = "XX00000";
constexpr std::uint8_t kXon = 0x11;
constexpr std::uint8_t kXoff = 0x13;
constexpr std::uint64_t kMsPerSecond = 1000;

} // namespace

Device::Device(const DeviceOptions& options_, Sink output_, Sink log_)
    : options(options_), output(std::move(output_)),
      log(std::move(log_)), context{state, [this](std::string_view text) { Emit(text); }, 0} {
    state.format = options_.format;
    state.baudRate = options_.baudRate;
    state.quietGapMs = options_.quietGapMs;
    state.corruptRecord = options_.corruptRecord;
}

Device::~Device() = default;

void Device::Start(std::uint64_t nowMs) {
    context.nowMs = nowMs;
    lastDrainMs = nowMs;
}

void Device::PowerCycle(std::uint64_t nowMs) {
    active.reset();
    hostLine.reset();
    line.clear();
    lastWasCr = false;
    atLineStart = false;
    backlog.clear();
    credit = 0;
    xoffSent = false;
    state.pendingBaudRate = 0;
    state.libraryRunning = false;
    Start(nowMs);
}

bool Device::Greet() {
    if (options.silent || active || !line.empty() || !backlog.empty()) {
        return false;
    }
    ShowPrompt();
    return true;
}

bool Device::LineMatches() const {
    if (!options.checkLine || !hostLine) {
        return true;
    }
    const HostLine& host = *hostLine;
    return host.baudRate == state.baudRate && host.dataBits == 8 && host.parity == 'N' &&
           host.stopBits == 1;
}

void Device::Feed(std::string_view text, std::uint64_t nowMs) {
    Feed({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, nowMs);
}

void Device::Feed(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) {
    context.nowMs = nowMs;
    if (options.silent || bytes.empty()) {
        return;
    }
    if (!LineMatches()) {
        noiseBytes += bytes.size();
        Log("line noise: " + std::to_string(bytes.size()) + " bytes at " +
            std::to_string(hostLine->baudRate) + " baud dropped, device at " +
            std::to_string(state.baudRate));
        return;
    }
    for (const std::uint8_t byte : bytes) {
        Take(byte);
    }
    UpdateFlow();
}

bool Device::Paced() const {
    return options.processRate > 0 && active != nullptr && active->Receiving();
}

void Device::Take(std::uint8_t byte) {
    if (backlog.empty() && !Paced()) {
        Process(byte);
    } else if (backlog.size() < kMaxBacklog) {
        backlog.push_back(byte);
    } else {
        ++lostBytes;
    }
}

void Device::Tick(std::uint64_t nowMs) {
    context.nowMs = nowMs;
    if (options.silent) {
        return;
    }
    DrainBacklog();
    UpdateFlow();
    if (active) {
        active->Tick();
        AfterDialogueStep();
    }
}

std::optional<std::uint64_t> Device::NextTickMs() const {
    if (options.silent) {
        return std::nullopt;
    }
    std::optional<std::uint64_t> due;
    if (!backlog.empty()) {
        due = context.nowMs + kBacklogSliceMs;
    }
    if (const auto dialogueDue = active ? active->DueMs() : std::nullopt) {
        due = due ? std::min(*due, *dialogueDue) : *dialogueDue;
    }
    return due;
}

void Device::DrainBacklog() {
    const std::uint64_t elapsed = context.nowMs - lastDrainMs;
    lastDrainMs = context.nowMs;
    if (backlog.empty()) {
        credit = 0; // an idle device saves up no processing time
        return;
    }
    credit += elapsed * options.processRate;
    while (!backlog.empty() && credit >= kMsPerSecond) {
        credit -= kMsPerSecond;
        const std::uint8_t byte = backlog.front();
        backlog.pop_front();
        Process(byte);
    }
}

void Device::UpdateFlow() {
    if (!options.xoff) {
        return;
    }
    if (!xoffSent && backlog.size() > options.xoffBacklog) {
        xoffSent = true;
        Emit(std::string(1, static_cast<char>(kXoff)));
    } else if (xoffSent && backlog.empty()) {
        xoffSent = false;
        Emit(std::string(1, static_cast<char>(kXon)));
    }
}

void Device::Process(std::uint8_t byte) {
    const bool receiving = active != nullptr && active->Receiving();
    const bool afterCr = lastWasCr;
    lastWasCr = byte == kKeyEnter;
    if (!receiving && byte == '\n') {
        if (afterCr) {
            return; // CR LF from a terminal is one ENTER
        }
        byte = kKeyEnter;
    }
    if (active) {
        active->Key(byte);
        AfterDialogueStep();
    } else {
        PromptKey(byte);
    }
}

void Device::PromptKey(std::uint8_t byte) {
    if (byte == kKeyEsc) {
        line.clear();
        ShowPrompt();
    } else if (byte == kKeyEnter) {
        const std::string typed = std::exchange(line, {});
        if (typed == kLibraryStart) {
            StartLibrary();
        } else {
            Emit(typed.empty() ? "" : "\r\nUnknown command");
            ShowPrompt();
        }
    } else if (IsBackKey(byte)) {
        if (!line.empty()) {
            line.pop_back();
            Emit("\b \b");
        }
    } else if (std::isalnum(byte) != 0) {
        PromptChar(static_cast<char>(std::toupper(byte)));
    }
}

void Device::PromptChar(char c) {
    Emit(std::string(1, c));
    line.push_back(c);
    if (line.size() >= 2 && kLibraryStart.starts_with(line)) {
        return; // the start sequence goes on until its ENTER
    }
    if (line.size() < 2) {
        return;
    }
    const std::string letters = std::exchange(line, {});
    if (FindCommand(letters) != nullptr) {
        RunCommand(letters);
    } else {
        Emit("\r\nUnknown command");
        ShowPrompt();
    }
}

void Device::RunCommand(std::string_view letters) {
    Log("command " + std::string(letters));
    active = FindCommand(letters)->make(context);
    active->Begin();
    AfterDialogueStep();
}

void Device::StartLibrary() {
    if (!state.libraryLoaded) {
        Emit("\r\nNo library loaded");
        ShowPrompt();
        return;
    }
    Emit("\r\nLibrary started - 9600 baud");
    state.libraryRunning = true;
    state.baudRate = kLibraryBaud;
    state.libraryBaudRate = kLibraryBaud;
    Log("library started, device now at 9600 baud");
    ShowPrompt();
}

void Device::AfterDialogueStep() {
    if (!active || !active->Done()) {
        return;
    }
    active.reset();
    if (state.pendingBaudRate != 0) {
        state.baudRate = std::exchange(state.pendingBaudRate, 0);
        Log("device now at " + std::to_string(state.baudRate) + " baud");
        if (state.libraryRunning) {
            // the host steps a started library's rate back to its own
            state.libraryBaudRate = state.baudRate;
            Log("library running at " + std::to_string(state.baudRate) + " baud");
        }
    }
    ShowPrompt();
}

// The prompt stands at the start of a line; after text that ended its line (a record stream)
// it needs no line break of its own.
void Device::ShowPrompt() {
    Emit(atLineStart ? kPrompt.substr(2) : kPrompt);
}

void Device::Emit(std::string_view text) {
    if (text.empty()) {
        return;
    }
    if (!LineMatches()) {
        Log("output at the wrong rate lost: " + std::to_string(text.size()) + " bytes");
        return;
    }
    output(text);
    atLineStart = text.back() == '\n';
}

void Device::Log(const std::string& text) const {
    if (log) {
        log(text);
    }
}

} // namespace t8::sim
