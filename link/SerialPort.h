#pragma once

#include "link/LineSpeed.h"
#include "link/PortInterface.h"

namespace t8 {

// POSIX serial device: termios2 for any rate, modem lines, queues, and an eventfd that lets a
// close release the reader's wait. The only code that touches the serial interface.
class SerialPort final : public PortInterface {
public:
    SerialPort() = default;
    ~SerialPort() override;

    bool Open(const std::string& path) override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override { return fd >= 0; }
    [[nodiscard]] LinkError LastError() const override { return lastError; }

    bool Configure(const LineSettings& settings) override;
    [[nodiscard]] std::uint32_t ModemStatus() const override;
    void SetDtr(bool on) override;
    void SetRts(bool on) override;
    [[nodiscard]] std::size_t InputQueued() const override;
    [[nodiscard]] std::size_t OutputQueued() const override;
    void Purge() override;
    void DiscardOutput() override;

    WaitResult WaitReadable() override;
    void Release() override;
    long Read(std::uint8_t* buffer, std::size_t max) override;
    WriteResult Write(const std::uint8_t* bytes, std::size_t count,
                      std::uint32_t timeoutMs) override;
    WriteResult WriteAvailable(const std::uint8_t* bytes, std::size_t count) override;
    void SuspendOutput(bool suspend) override;

    // A write with no time limit still gives up when the line takes nothing for this long,
    // so a stuck handshake cannot hold the caller forever.
    static constexpr int kStalledWriteMs = 10000;

private:
    void SetModemLine(int line, bool on);
    [[nodiscard]] bool WaitWritable(int timeoutMs, WriteResult& result);

    int fd = -1;
    int releaseFd = -1;
    LinkError lastError;
    bool haveSavedSettings = false;
    SavedLine savedLine; // the device's own settings, put back at close
};

} // namespace t8
