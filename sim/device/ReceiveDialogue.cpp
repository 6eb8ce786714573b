#include "sim/device/ReceiveDialogue.h"

#include "sim/device/RangeText.h"
#include "sim/records/HexDigits.h"

#include <algorithm>
#include <cctype>

namespace t8::sim {

ReceiveDialogue::ReceiveDialogue(DialogueContext& context, Target target)
    : Dialogue(context), target_(target),
      format_(target == Target::Library ? Format::Intel : context.state.format),
      codec_(MakeCodec(format_)) {}

Memory& ReceiveDialogue::TargetMemory() const {
    switch (target_) {
    case Target::Eeprom:
        return State().eeprom;
    case Target::Library:
        return State().library;
    case Target::Ram:
        break;
    }
    return State().ram;
}

void ReceiveDialogue::Begin() {
    const std::string name(InfoOf(format_).name);
    if (target_ == Target::Library) {
        State().library.Fill(0xFF);
        State().libraryLoaded = false;
        State().libraryRunning = false; // a new library replaces the one that ran
        State().libraryBaudRate = 0;
        Say("\r\nReceive library " + name + " records\r\n");
        StartData(0);
        return;
    }
    const std::string what = target_ == Target::Eeprom ? " EEPROM data" : " data";
    if (InfoOf(format_).carriesAddresses) {
        Say("\r\nReceive " + name + what + " - ENTER starts");
    } else {
        phase_ = Phase::Address;
        Say("\r\nReceive " + name + what + " load address ");
    }
}

void ReceiveDialogue::Key(std::uint8_t key) {
    if (phase_ == Phase::Data) {
        DataByte(key);
    } else if (key == kKeyEsc) {
        Close();
    } else if (phase_ == Phase::Address) {
        AddressKey(key);
    } else if (key == kKeyEnter) {
        Say("\r\n");
        StartData(0);
    }
}

void ReceiveDialogue::AddressKey(std::uint8_t key) {
    if (key == kKeyEnter) {
        const auto address = typed_.empty() ? 0 : ParseValueText(typed_, TargetMemory().Size());
        if (!address) {
            CloseWith("Bad address");
            return;
        }
        Say("\r\n");
        StartData(*address);
    } else {
        TypeAddressKey(typed_, key);
    }
}

void ReceiveDialogue::StartData(std::uint32_t loadAddress) {
    phase_ = Phase::Data;
    codec_->Reset(loadAddress);
    lastByteMs_ = Now();
}

void ReceiveDialogue::DataByte(std::uint8_t byte) {
    lastByteMs_ = Now();
    if (!InfoOf(format_).binaryData && bytesSeen_ == 0 && byte == kKeyEsc) {
        Close(); // nothing has come yet: ESC leaves as in any dialogue
        return;
    }
    ++bytesSeen_;
    if (!InfoOf(format_).binaryData) {
        escapes_ = byte == kKeyEsc ? escapes_ + 1 : 0;
        if (escapes_ == kAbortEscapes) {
            CloseWith("Receive aborted");
            return;
        }
        if (byte == kKeyEsc) {
            return;
        }
    }
    const ParseStep step = codec_->Feed(byte);
    if (step.kind == ParseStep::Kind::Data && error_.empty()) {
        Store(step);
    } else if (step.kind == ParseStep::Kind::Error && error_.empty()) {
        Fail(step.error);
    } else if (step.kind == ParseStep::Kind::End) {
        Verdict();
    }
}

void ReceiveDialogue::Store(const ParseStep& step) {
    if (!TargetMemory().Write(step.address, step.bytes)) {
        Fail("data at " + HexText(step.address, 8) + " lie beyond memory (" +
             HexText(static_cast<std::uint32_t>(TargetMemory().Size() - 1), 5) + ")");
        return;
    }
    bytesStored_ += step.bytes.size();
    for (const std::uint8_t byte : step.bytes) {
        sum_ += byte;
    }
    if (!step.bytes.empty()) {
        lowest_ = std::min(lowest_, step.address);
        highest_ =
            std::max(highest_, step.address + static_cast<std::uint32_t>(step.bytes.size()) - 1);
    }
}

void ReceiveDialogue::Fail(std::string error) {
    error_ = std::move(error);
}

std::optional<std::uint64_t> ReceiveDialogue::DueMs() const {
    // record formats wait for their first byte as long as it takes; a gap ends what has begun
    const bool waiting = InfoOf(format_).carriesAddresses && bytesSeen_ == 0;
    if (phase_ != Phase::Data || waiting) {
        return std::nullopt;
    }
    return lastByteMs_ + State().quietGapMs;
}

void ReceiveDialogue::Tick() {
    const auto due = DueMs();
    if (!due || Now() < *due) {
        return;
    }
    const ParseStep step = codec_->Finish();
    if (step.kind == ParseStep::Kind::Error && error_.empty()) {
        Fail(step.error);
    }
    Verdict();
}

void ReceiveDialogue::Verdict() {
    if (!error_.empty()) {
        CloseWith("Receive failed - " + error_);
        return;
    }
    std::string line = "Received " + std::to_string(bytesStored_) + " bytes";
    if (bytesStored_ > 0) {
        line += " at " + HexText(lowest_, 5) + "-" + HexText(highest_, 5);
    }
    line += " sum " + HexText(sum_, 8);
    if (target_ == Target::Library) {
        State().libraryLoaded = true;
        State().libraryRecords = codec_->RecordsRead();
        line = "Library of " + std::to_string(codec_->RecordsRead()) + " records - " + line;
    }
    CloseWith(line);
}

} // namespace t8::sim
