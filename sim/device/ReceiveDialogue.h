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

    ReceiveDialogue(DialogueContext& context_, Target target_);

    void Begin() override;
    void Key(std::uint8_t key) override;
    void Tick() override;
    [[nodiscard]] std::optional<std::uint64_t> DueMs() const override;
    [[nodiscard]] bool Receiving() const override { return phase == Phase::Data; }

private:
    enum class Phase : std::uint8_t { Enter, Address, Data };
    static constexpr int kAbortEscapes = 4;

    void AddressKey(std::uint8_t key);
    void StartData(std::uint32_t loadAddress);
    void DataByte(std::uint8_t byte);
    void Store(const ParseStep& step);
    void Fail(std::string error_);
    void Verdict();
    [[nodiscard]] Memory& TargetMemory() const;

    Target target;
    Format format;
    std::unique_ptr<FormatCodec> codec;
    Phase phase = Phase::Enter;
    std::string typed;
    std::uint64_t lastByteMs = 0;
    std::size_t bytesSeen = 0;
    std::size_t bytesStored = 0;
    std::uint32_t sum = 0;
    std::uint32_t lowest = 0xFFFFFFFF;
    std::uint32_t highest = 0;
    int escapes = 0;
    std::string error; // the first fault; the rest of the stream is read but not stored
};

} // namespace t8::sim
