#pragma once

#include "link/PortFactory.h"
#include "link/PortInterface.h"
#include "tools/t8batch/Transcript.h"

#include <memory>

namespace t8 {

// What t8batch taps of what the host writes: the transcript, and whether a TX file's own data
// are passing (they are counted, not written out). Writes come from the run's thread only.
struct LineTap {
    explicit LineTap(Transcript& transcript_) : transcript(transcript_) {}

    Transcript& transcript;
    bool hostStreaming = false; // a TX file is being written
};

// The serial port with the tap: everything written passes the transcript. What is read is the
// run's to judge where it reaches the screen, for only there is it known whether a block is
// the device's text or a receive's data. Otherwise it is the real port.
class TappedPort final : public PortInterface {
public:
    TappedPort(std::unique_ptr<PortInterface> inner, LineTap& tap);

    bool Open(const std::string& path) override { return inner->Open(path); }
    void Close() override { inner->Close(); }
    [[nodiscard]] bool IsOpen() const override { return inner->IsOpen(); }
    [[nodiscard]] LinkError LastError() const override { return inner->LastError(); }
    bool Configure(const LineSettings& settings) override { return inner->Configure(settings); }
    [[nodiscard]] std::uint32_t ModemStatus() const override { return inner->ModemStatus(); }
    void SetDtr(bool on) override { inner->SetDtr(on); }
    void SetRts(bool on) override { inner->SetRts(on); }
    [[nodiscard]] std::size_t InputQueued() const override { return inner->InputQueued(); }
    [[nodiscard]] std::size_t OutputQueued() const override { return inner->OutputQueued(); }
    void Purge() override { inner->Purge(); }
    void DiscardOutput() override { inner->DiscardOutput(); }
    WaitResult WaitReadable() override { return inner->WaitReadable(); }
    void Release() override { inner->Release(); }
    long Read(std::uint8_t* buffer, std::size_t max) override { return inner->Read(buffer, max); }
    WriteResult Write(const std::uint8_t* bytes, std::size_t count,
                      std::uint32_t timeoutMs) override;
    WriteResult WriteAvailable(const std::uint8_t* bytes, std::size_t count) override;
    void SuspendOutput(bool suspend) override { inner->SuspendOutput(suspend); }

private:
    void Written(const std::uint8_t* bytes, const WriteResult& result);

    std::unique_ptr<PortInterface> inner;
    LineTap& tap;
};

// The ports `make` gives, each tapped; null where it gives none.
[[nodiscard]] PortFactory TappedPorts(PortFactory make, LineTap& tap);

} // namespace t8
