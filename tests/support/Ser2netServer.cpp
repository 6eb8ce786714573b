#include "tests/support/Ser2netServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace t8::test {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// A port nothing listens on now: the system's choice for a socket bound to port 0.
std::uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool Accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace

bool Ser2netServer::Installed() {
    return ::access(kProgram, X_OK) == 0;
}

Ser2netServer::Ser2netServer(std::string device_, std::string mode_, std::string speed_)
    : device(std::move(device_)), mode(std::move(mode_)), speed(std::move(speed_)),
      port(FreePort()) {}

std::string Ser2netServer::Address() const {
    return (mode == "raw" ? "tcp://127.0.0.1:" : "rfc2217://127.0.0.1:") + std::to_string(port);
}

bool Ser2netServer::Start() {
    Stop();
    const std::string config = folder.Path("ser2net.yaml");
    const std::string stack = mode == "raw" ? "tcp" : mode + ",tcp";
    std::ofstream(config) << "connection: &t8\n  accepter: " << stack << ",127.0.0.1," << port
                          << "\n  connector: serialdev," << device << "," << speed
                          << ",local\n  options:\n    kickolduser: true\n";
    const std::string pidFile = folder.Path("ser2net.pid");
    const char* argv[] = {kProgram,        "-n",   "-d", "-c", config.c_str(), "-P",
                          pidFile.c_str(), nullptr};
    pid_t child = -1;
    if (::posix_spawn(&child, kProgram, nullptr, nullptr, const_cast<char* const*>(argv),
                      environ) != 0) {
        return false;
    }
    pid = child;
    for (int i = 0; i < 100; ++i) {
        if (Accepts(port)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void Ser2netServer::Stop() {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

} // namespace t8::test
