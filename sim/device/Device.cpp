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

Device::Device(const DeviceOptions& options, Sink output, Sink log)
    : options_(options), output_(std::move(output)),
      log_(std::move(log)), context_{state_, [this](std::string_view text) { Emit(text); }, 0} {
    state_.format = options.format;
    state_.baudRate = options.baudRate;
    state_.quietGapMs = options.quietGapMs;
    state_.corruptRecord = options.corruptRecord;
}

Device::~Device() = default;

void Device::Start(std::uint64_t nowMs) {
    context_.nowMs = nowMs;
    lastDrainMs_ = nowMs;
}

void Device::PowerCycle(std::uint64_t nowMs) {
    active_.reset();
    hostLine_.reset();
    line_.clear();
    lastWasCr_ = false;
    atLineStart_ = false;
    backlog_.clear();
    credit_ = 0;
    xoffSent_ = false;
    state_.pendingBaudRate = 0;
    state_.libraryRunning = false;
    Start(nowMs);
}

bool Device::Greet() {
    if (options_.silent || active_ || !line_.empty() || !backlog_.empty()) {
        return false;
    }
    ShowPrompt();
    return true;
}

bool Device::LineMatches() const {
    if (!options_.checkLine || !hostLine_) {
        return true;
    }
    const HostLine& host = *hostLine_;
    return host.baudRate == state_.baudRate && host.dataBits == 8 && host.parity == 'N' &&
           host.stopBits == 1;
}

void Device::Feed(std::string_view text, std::uint64_t nowMs) {
    Feed({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, nowMs);
}

void Device::Feed(std::span<const std::uint8_t> bytes, std::uint64_t nowMs) {
    context_.nowMs = nowMs;
    if (options_.silent || bytes.empty()) {
        return;
    }
    if (!LineMatches()) {
        noiseBytes_ += bytes.size();
        Log("line noise: " + std::to_string(bytes.size()) + " bytes at " +
            std::to_string(hostLine_->baudRate) + " baud dropped, device at " +
            std::to_string(state_.baudRate));
        return;
    }
    for (const std::uint8_t byte : bytes) {
        Take(byte);
    }
    UpdateFlow();
}

bool Device::Paced() const {
    return options_.processRate > 0 && active_ != nullptr && active_->Receiving();
}

void Device::Take(std::uint8_t byte) {
    if (backlog_.empty() && !Paced()) {
        Process(byte);
    } else if (backlog_.size() < kMaxBacklog) {
        backlog_.push_back(byte);
    } else {
        ++lostBytes_;
    }
}

void Device::Tick(std::uint64_t nowMs) {
    context_.nowMs = nowMs;
    if (options_.silent) {
        return;
    }
    DrainBacklog();
    UpdateFlow();
    if (active_) {
        active_->Tick();
        AfterDialogueStep();
    }
}

std::optional<std::uint64_t> Device::NextTickMs() const {
    if (options_.silent) {
        return std::nullopt;
    }
    std::optional<std::uint64_t> due;
    if (!backlog_.empty()) {
        due = context_.nowMs + kBacklogSliceMs;
    }
    if (const auto dialogueDue = active_ ? active_->DueMs() : std::nullopt) {
        due = due ? std::min(*due, *dialogueDue) : *dialogueDue;
    }
    return due;
}

void Device::DrainBacklog() {
    const std::uint64_t elapsed = context_.nowMs - lastDrainMs_;
    lastDrainMs_ = context_.nowMs;
    if (backlog_.empty()) {
        credit_ = 0; // an idle device saves up no processing time
        return;
    }
    credit_ += elapsed * options_.processRate;
    while (!backlog_.empty() && credit_ >= kMsPerSecond) {
        credit_ -= kMsPerSecond;
        const std::uint8_t byte = backlog_.front();
        backlog_.pop_front();
        Process(byte);
    }
}

void Device::UpdateFlow() {
    if (!options_.xoff) {
        return;
    }
    if (!xoffSent_ && backlog_.size() > options_.xoffBacklog) {
        xoffSent_ = true;
        Emit(std::string(1, static_cast<char>(kXoff)));
    } else if (xoffSent_ && backlog_.empty()) {
        xoffSent_ = false;
        Emit(std::string(1, static_cast<char>(kXon)));
    }
}

void Device::Process(std::uint8_t byte) {
    const bool receiving = active_ != nullptr && active_->Receiving();
    const bool afterCr = lastWasCr_;
    lastWasCr_ = byte == kKeyEnter;
    if (!receiving && byte == '\n') {
        if (afterCr) {
            return; // CR LF from a terminal is one ENTER
        }
        byte = kKeyEnter;
    }
    if (active_) {
        active_->Key(byte);
        AfterDialogueStep();
    } else {
        PromptKey(byte);
    }
}

void Device::PromptKey(std::uint8_t byte) {
    if (byte == kKeyEsc) {
        line_.clear();
        ShowPrompt();
    } else if (byte == kKeyEnter) {
        const std::string typed = std::exchange(line_, {});
        if (typed == kLibraryStart) {
            StartLibrary();
        } else {
            Emit(typed.empty() ? "" : "\r\nUnknown command");
            ShowPrompt();
        }
    } else if (IsBackKey(byte)) {
        if (!line_.empty()) {
            line_.pop_back();
            Emit("\b \b");
        }
    } else if (std::isalnum(byte) != 0) {
        PromptChar(static_cast<char>(std::toupper(byte)));
    }
}

void Device::PromptChar(char c) {
    Emit(std::string(1, c));
    line_.push_back(c);
    if (line_.size() >= 2 && kLibraryStart.starts_with(line_)) {
        return; // the start sequence goes on until its ENTER
    }
    if (line_.size() < 2) {
        return;
    }
    const std::string letters = std::exchange(line_, {});
    if (FindCommand(letters) != nullptr) {
        RunCommand(letters);
    } else {
        Emit("\r\nUnknown command");
        ShowPrompt();
    }
}

void Device::RunCommand(std::string_view letters) {
    Log("command " + std::string(letters));
    active_ = FindCommand(letters)->make(context_);
    active_->Begin();
    AfterDialogueStep();
}

void Device::StartLibrary() {
    if (!state_.libraryLoaded) {
        Emit("\r\nNo library loaded");
        ShowPrompt();
        return;
    }
    Emit("\r\nLibrary started - 9600 baud");
    state_.libraryRunning = true;
    state_.baudRate = kLibraryBaud;
    state_.libraryBaudRate = kLibraryBaud;
    Log("library started, device now at 9600 baud");
    ShowPrompt();
}

void Device::AfterDialogueStep() {
    if (!active_ || !active_->Done()) {
        return;
    }
    active_.reset();
    if (state_.pendingBaudRate != 0) {
        state_.baudRate = std::exchange(state_.pendingBaudRate, 0);
        Log("device now at " + std::to_string(state_.baudRate) + " baud");
        if (state_.libraryRunning) {
            // the host steps a started library's rate back to its own
            state_.libraryBaudRate = state_.baudRate;
            Log("library running at " + std::to_string(state_.baudRate) + " baud");
        }
    }
    ShowPrompt();
}

// The prompt stands at the start of a line; after text that ended its line (a record stream)
// it needs no line break of its own.
void Device::ShowPrompt() {
    Emit(atLineStart_ ? kPrompt.substr(2) : kPrompt);
}

void Device::Emit(std::string_view text) {
    if (text.empty()) {
        return;
    }
    if (!LineMatches()) {
        Log("output at the wrong rate lost: " + std::to_string(text.size()) + " bytes");
        return;
    }
    output_(text);
    atLineStart_ = text.back() == '\n';
}

void Device::Log(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

} // namespace t8::sim
