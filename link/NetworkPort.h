#pragma once

#include "link/LinePacer.h"
#include "link/NetAddress.h"
#include "link/NetConnect.h"
#include "link/PortInterface.h"
#include "link/Rfc2217Session.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace t8 {

// A serial line served over TCP: RFC 2217 (the line's settings and modem lines travel with the
// bytes) or raw (bytes only; the settings are the server's). Sends are paced by the line's rate
// (LinePacer), since no driver queue tells how far the far end has got. A connection the server
// ends is a hang-up.
// Reader thread: WaitReadable, Read, InputQueued, SuspendOutput. User-interface thread: the
// rest. Both may read the socket (Configure waits for the server's answer before the reader
// runs, and while it runs); one lock takes turns at that, another guards the session's state.
class NetworkPort final : public PortInterface {
public:
    // Microseconds of a steady clock; tests give a manual one.
    using Clock = std::function<std::uint64_t()>;

    explicit NetworkPort(Clock clock_ = {});
    ~NetworkPort() override;

    // The next Open takes this connection (or its failure) instead of connecting itself.
    void Adopt(Connection connection) { adopted = connection; }
    bool Open(const std::string& address) override;
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
    void SuspendOutput(bool suspend) override { suspended = suspend; }

    [[nodiscard]] NetProtocol Protocol() const { return protocol; }

    // How long Configure waits for the server to confirm a rate.
    static constexpr int kAnswerLimitMs = 3000;
    // Bytes the socket may hold back before sends stop being taken.
    static constexpr std::size_t kOutboxLimit = 8192;

private:
    // Takes what the socket has (waiting up to timeoutMs for it); data to the inbox, the
    // session's answers sent at once. `wakeReader`: another thread waits on the socket.
    void Pump(int timeoutMs, bool wakeReader);
    // Telnet commands for the server, sent now.
    void SendCommand(std::uint8_t command, const std::vector<std::uint8_t>& payload);
    // Writes what the outbox holds as far as the socket takes it; the lock is held.
    void FlushLocked();
    [[nodiscard]] bool WaitForRate(unsigned answersBefore, std::uint32_t rate);
    [[nodiscard]] std::uint64_t Now() const;
    [[nodiscard]] bool Rfc2217() const { return protocol == NetProtocol::Rfc2217; }

    Clock clock;
    std::optional<Connection> adopted;
    NetProtocol protocol = NetProtocol::None;
    int fd = -1;
    int releaseFd = -1;
    int wakeFd = -1; // data another thread took from the socket waits in the inbox
    LinkError lastError;
    std::mutex pumpLock;     // one reader of the socket at a time
    mutable std::mutex lock; // what follows
    Rfc2217Session session;
    std::vector<std::uint8_t> inbox;
    std::vector<std::uint8_t> outbox;
    bool closed = false; // the server ended the connection
    int writeError = 0;
    LinePacer pacer; // the user-interface thread's
    std::atomic<bool> suspended{false};
};

} // namespace t8
