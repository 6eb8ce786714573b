#include "link/ConnectAhead.h"

#include "link/NetAddress.h"
#include "link/NetworkPort.h"

#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>
#include <utility>

namespace t8 {

// Outlives the owner while a connect runs: the thread finishes alone once nobody waits for it.
struct ConnectAhead::Shared {
    std::mutex lock;
    std::map<std::string, std::optional<Connection>> connections; // empty while connecting
    bool ended = false;

    std::optional<Connection> Take(const std::string& address) {
        const std::lock_guard guard(lock);
        const auto found = connections.find(address);
        if (found == connections.end() || !found->second) {
            return std::nullopt;
        }
        std::optional<Connection> ready = std::move(found->second);
        connections.erase(found);
        return ready;
    }
    void CloseAll() {
        for (auto& [address, connection] : connections) {
            if (connection && connection->fd >= 0) {
                ::close(connection->fd);
            }
        }
        connections.clear();
    }
};

ConnectAhead::ConnectAhead() : shared(std::make_shared<Shared>()) {}

ConnectAhead::~ConnectAhead() {
    const std::lock_guard guard(shared->lock);
    shared->ended = true;
    shared->CloseAll();
}

bool ConnectAhead::Start(const std::string& address, std::function<void()> done) {
    const NetAddress parsed = ParseNetAddress(address);
    if (!parsed.problem.empty()) {
        return false; // a device path, or an address the port itself refuses
    }
    {
        const std::lock_guard guard(shared->lock);
        if (const auto found = shared->connections.find(address);
            found != shared->connections.end()) {
            return !found->second;
        }
        shared->connections[address] = std::nullopt;
    }
    std::thread([state = shared, address, host = parsed.host, port = parsed.port,
                 done = std::move(done)] {
        const Connection made = ConnectTcp(host, port);
        const std::lock_guard guard(state->lock);
        if (state->ended) {
            if (made.fd >= 0) {
                ::close(made.fd);
            }
            return;
        }
        state->connections[address] = made;
        done();
    }).detach();
    return true;
}

PortFactory ConnectAhead::Ports(PortFactory inner) const {
    return [state = shared, inner = std::move(inner)](const std::string& address) {
        std::unique_ptr<PortInterface> port = inner(address);
        if (std::optional<Connection> ready = state->Take(address)) {
            if (auto* network = dynamic_cast<NetworkPort*>(port.get())) {
                network->Adopt(*ready);
            } else if (ready->fd >= 0) {
                ::close(ready->fd);
            }
        }
        return port;
    };
}

} // namespace t8
