#include "sim/device/ReceiveDialogue.h"

#include "sim/device/RangeText.h"
#include "sim/records/HexDigits.h"

#include <algorithm>
#include <cctype>

namespace t8::sim {

ReceiveDialogue::ReceiveDialogue(DialogueContext& context_, Target target_)
    : Dialogue(context_), target(target_),
      format(target_ == Target::Library ? Format::Intel : context_.state.format),
      codec(MakeCodec(format)) {}

Memory& ReceiveDialogue::TargetMemory() const {
    switch (target) {
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
    const std::string name(InfoOf(format).name);
    if (target == Target::Library) {
        State().library.Fill(0xFF);
        State().libraryLoaded = false;
        State().libraryRunning = false; // a new library replaces the one that ran
        State().libraryBaudRate = 0;
        Say("\r\nReceive library " + name + " records\r\n");
        StartData(0);
        return;
    }
    const std::string what = target == Target::Eeprom ? " EEPROM data" : " data";
    if (InfoOf(format).carriesAddresses) {
        Say("\r\nReceive " + name + what + " - ENTER starts");
    } else {
        phase = Phase::Address;
        Say("\r\nReceive " + name + what + " load address ");
    }
}

void ReceiveDialogue::Key(std::uint8_t key) {
    if (phase == Phase::Data) {
        DataByte(key);
    } else if (key == kKeyEsc) {
        Close();
    } else if (phase == Phase::Address) {
        AddressKey(key);
    } else if (key == kKeyEnter) {
        Say("\r\n");
        StartData(0);
    }
}

void ReceiveDialogue::AddressKey(std::uint8_t key) {
    if (key == kKeyEnter) {
        const auto address = typed.empty() ? 0 : ParseValueText(typed, TargetMemory().Size());
        if (!address) {
            CloseWith("Bad address");
            return;
        }
        Say("\r\n");
        StartData(*address);
    } else {
        TypeAddressKey(typed, key);
    }
}

void ReceiveDialogue::StartData(std::uint32_t loadAddress) {
    phase = Phase::Data;
    codec->Reset(loadAddress);
    lastByteMs = Now();
}

void ReceiveDialogue::DataByte(std::uint8_t byte) {
    lastByteMs = Now();
    if (!InfoOf(format).binaryData && bytesSeen == 0 && byte == kKeyEsc) {
        Close(); // nothing has come yet: ESC leaves as in any dialogue
        return;
    }
    ++bytesSeen;
    if (!InfoOf(format).binaryData) {
        escapes = byte == kKeyEsc ? escapes + 1 : 0;
        if (escapes == kAbortEscapes) {
            CloseWith("Receive aborted");
            return;
        }
        if (byte == kKeyEsc) {
            return;
        }
    }
    const ParseStep step = codec->Feed(byte);
    if (step.kind == ParseStep::Kind::Data && error.empty()) {
        Store(step);
    } else if (step.kind == ParseStep::Kind::Error && error.empty()) {
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
    bytesStored += step.bytes.size();
    for (const std::uint8_t byte : step.bytes) {
        sum += byte;
    }
    if (!step.bytes.empty()) {
        lowest = std::min(lowest, step.address);
        highest =
            std::max(highest, step.address + static_cast<std::uint32_t>(step.bytes.size()) - 1);
    }
}

void ReceiveDialogue::Fail(std::string error_) {
    error = std::move(error_);
}

std::optional<std::uint64_t> ReceiveDialogue::DueMs() const {
    // record formats wait for their first byte as long as it takes; a gap ends what has begun
    const bool waiting = InfoOf(format).carriesAddresses && bytesSeen == 0;
    if (phase != Phase::Data || waiting) {
        return std::nullopt;
    }
    return lastByteMs + State().quietGapMs;
}

void ReceiveDialogue::Tick() {
    const auto due = DueMs();
    if (!due || Now() < *due) {
        return;
    }
    const ParseStep step = codec->Finish();
    if (step.kind == ParseStep::Kind::Error && error.empty()) {
        Fail(step.error);
    }
    Verdict();
}

void ReceiveDialogue::Verdict() {
    if (!error.empty()) {
        CloseWith("Receive failed - " + error);
        return;
    }
    std::string line = "Received " + std::to_string(bytesStored) + " bytes";
    if (bytesStored > 0) {
        line += " at " + HexText(lowest, 5) + "-" + HexText(highest, 5);
    }
    line += " sum " + HexText(sum, 8);
    if (target == Target::Library) {
        State().libraryLoaded = true;
        State().libraryRecords = codec->RecordsRead();
        line = "Library of " + std::to_string(codec->RecordsRead()) + " records - " + line;
    }
    CloseWith(line);
}

} // namespace t8::sim
