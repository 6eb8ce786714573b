#pragma once

#include "link/LineSettings.h"
#include "link/LinkError.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace t8 {

// What a wait for received data ended with.
enum class WaitResult { Data, Released, HangUp, Error };

struct WriteResult {
    std::size_t written = 0;
    int error = 0; // errno of the failure, 0 when the write completed or timed out
    bool timedOut = false;
};

// The one door to a serial device. SerialPort is the real one (MakePort chooses it by the
// address); tests use a fake.
// Read-side calls (WaitReadable, Read, InputQueued, SuspendOutput) come from the reader thread,
// the rest from the user-interface thread; implementations keep the two sides independent.
class PortInterface {
public:
    PortInterface() = default;
    PortInterface(const PortInterface&) = delete;
    PortInterface& operator=(const PortInterface&) = delete;
    virtual ~PortInterface() = default;

    // Opens the device at the address exclusively. On failure returns false and LastError()
    // tells why; a Configure the driver refused tells it there too.
    virtual bool Open(const std::string& path) = 0;
    virtual void Close() = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;
    [[nodiscard]] virtual LinkError LastError() const = 0;

    // Applies the settings; false when the driver rejects them.
    virtual bool Configure(const LineSettings& settings) = 0;
    // CTS, DSR, RING, RLSD bits; lines the device cannot report count as present.
    [[nodiscard]] virtual std::uint32_t ModemStatus() const = 0;
    virtual void SetDtr(bool on) = 0;
    virtual void SetRts(bool on) = 0;
    [[nodiscard]] virtual std::size_t InputQueued() const = 0;
    [[nodiscard]] virtual std::size_t OutputQueued() const = 0;
    // Drops what is queued in both directions.
    virtual void Purge() = 0;
    // Drops only what still waits to go out.
    virtual void DiscardOutput() = 0;

    // Blocks until data, a hang-up, or Release(). Release is sticky until the port is reopened.
    virtual WaitResult WaitReadable() = 0;
    virtual void Release() = 0;
    // Reads what is queued, at most max bytes; 0 when nothing was waiting, -errno on failure.
    virtual long Read(std::uint8_t* buffer, std::size_t max) = 0;
    // Writes all bytes, waiting at most timeoutMs (0: no limit) for the line to take them.
    virtual WriteResult Write(const std::uint8_t* bytes, std::size_t count,
                              std::uint32_t timeoutMs) = 0;
    // Writes what the line takes now and returns at once; the caller offers the rest later.
    virtual WriteResult WriteAvailable(const std::uint8_t* bytes, std::size_t count) = 0;
    // Holds or resumes our transmitter, as an XOFF/XON from the device asks.
    virtual void SuspendOutput(bool suspend) = 0;
};

} // namespace t8
