#pragma once

#include "sim/device/Dialogue.h"
#include "sim/records/FormatCodec.h"

#include <memory>
#include <string>

namespace t8::sim {

// RE, RX and RL: names the format, waits for ENTER (record formats) or a typed load address
// (binary, ASCII hex), then reads the data with a strict reader into memory. Record formats end
// at their end record, the others after a quiet gap. ESC leaves before the first byte; once
// text data flow, four ESC in a row abort; in binary data ESC is data.
class ReceiveDialogue : public Dialogue {
public:
    enum class Target : std::uint8_t { Ram, Eeprom, Library };

    ReceiveDialogue(DialogueContext& context, Target target);

    void Begin() override;
    void Key(std::uint8_t key) override;
    void Tick() override;
    [[nodiscard]] std::optional<std::uint64_t> DueMs() const override;
    [[nodiscard]] bool Receiving() const override { return phase_ == Phase::Data; }

private:
    enum class Phase : std::uint8_t { Enter, Address, Data };
    static constexpr int kAbortEscapes = 4;

    void AddressKey(std::uint8_t key);
    void StartData(std::uint32_t loadAddress);
    void DataByte(std::uint8_t byte);
    void Store(const ParseStep& step);
    void Fail(std::string error);
    void Verdict();
    [[nodiscard]] Memory& TargetMemory() const;

    Target target_;
    Format format_;
    std::unique_ptr<FormatCodec> codec_;
    Phase phase_ = Phase::Enter;
    std::string typed_;
    std::uint64_t lastByteMs_ = 0;
    std::size_t bytesSeen_ = 0;
    std::size_t bytesStored_ = 0;
    std::uint32_t sum_ = 0;
    std::uint32_t lowest_ = 0xFFFFFFFF;
    std::uint32_t highest_ = 0;
    int escapes_ = 0;
    std::string error_; // the first fault; the rest of the stream is read but not stored
};

} // namespace t8::sim
