#pragma once

#include "tests/support/TempFolder.h"

#include <cstdint>
#include <string>

namespace t8::test {

// The real ser2net serving a device (a pty's slave side) on 127.0.0.1 at a free port, in
// RFC 2217 ("telnet(rfc2217)") or raw ("raw") mode, started and stopped by the test. Stop and
// Start again serve the same port, as a server restarted on its host would.
class Ser2netServer {
public:
    static constexpr const char* kProgram = "/usr/sbin/ser2net";
    [[nodiscard]] static bool Installed();

    Ser2netServer(std::string device_, std::string mode_, std::string speed_ = "115200n81");
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;
    ~Ser2netServer() { Stop(); }

    // True once the server accepts connections.
    bool Start();
    void Stop();
    // "rfc2217://127.0.0.1:PORT" or "tcp://127.0.0.1:PORT".
    [[nodiscard]] std::string Address() const;
    [[nodiscard]] std::uint16_t Port() const { return port; }

private:
    std::string device;
    std::string mode;
    std::string speed;
    TempFolder folder;
    std::uint16_t port = 0;
    int pid = -1;
};

} // namespace t8::test
