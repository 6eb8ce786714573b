#include "link/NetworkPort.h"
#include "link/ConnectAhead.h"
#include "link/LinkNotices.h"
#include "link/PortFactory.h"
#include "link/Rfc2217Session.h"
#include "link/TelnetCodec.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace t8::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// A server on 127.0.0.1 that the test plays by hand.
class Peer {
public:
    Peer() {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener, 4);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer() {
        Hang();
        StopListening();
    }
    std::string Address(const char* scheme) const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port);
    }
    bool Accept() {
        client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        return client >= 0;
    }
    void Send(const Bytes& bytes) const { ::send(client, bytes.data(), bytes.size(), 0); }
    // What arrives within `ms` of quiet.
    Bytes Take(int ms = 200) const {
        Bytes got;
        pollfd wait{client, POLLIN, 0};
        while (::poll(&wait, 1, ms) > 0) {
            std::uint8_t block[512];
            const ssize_t n = ::recv(client, block, sizeof block, 0);
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), block, block + n);
        }
        return got;
    }
    void Hang() {
        if (client >= 0) {
            ::close(client);
            client = -1;
        }
    }
    void StopListening() {
        if (listener >= 0) {
            ::close(listener);
            listener = -1;
        }
    }
    int listener = -1;
    int client = -1;
    std::uint16_t port = 0;
};

struct Split {
    Bytes data;
    std::vector<TelnetCommand> commands;
};
Split Decode(const Bytes& wire) {
    Split split;
    TelnetDecoder decoder;
    decoder.Feed(wire.data(), wire.size(), split.data, split.commands);
    return split;
}

Bytes ReadAll(NetworkPort& port) {
    Bytes got(256);
    const long n = port.Read(got.data(), got.size());
    got.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return got;
}

TEST(NetworkPortTest, Rfc2217SetsTheLineAndWaitsForTheRateBeforeConfigureReturns) {
    Peer peer;
    NetworkPort port;
    ASSERT_TRUE(port.Open(peer.Address("rfc2217"))) << int(port.LastError().kind);
    ASSERT_TRUE(peer.Accept());
    const Split greeting = Decode(peer.Take());
    EXPECT_EQ(greeting.commands.size(), 5u);

    auto configured = std::async(std::launch::async, [&] {
        return port.Configure({9600, 7, kParityEven, kStopOne, kFlowRtsCts});
    });
    const Split settings = Decode(peer.Take());
    ASSERT_EQ(settings.commands.size(), 5u);
    EXPECT_EQ(settings.commands[0].payload,
              (Bytes{Rfc2217Session::kSetBaudRate, 0, 0, 0x25, 0x80}));
    // the device's bytes may come before the answer; they wait for the reader
    peer.Send({'p', 'r', 'e'});
    EXPECT_EQ(configured.wait_for(300ms), std::future_status::timeout)
        << "Configure returned before the server confirmed the rate";
    Bytes answer;
    AppendSubNegotiation(answer, telnet::kComPort, {101, 0, 0, 0x25, 0x80});
    AppendSubNegotiation(answer, telnet::kComPort, {107, kModemCts | kModemDsr});
    peer.Send(answer);
    ASSERT_EQ(configured.wait_for(2s), std::future_status::ready);
    EXPECT_TRUE(configured.get());
    EXPECT_EQ(port.ModemStatus(), kModemCts | kModemDsr);
    ASSERT_EQ(port.WaitReadable(), WaitResult::Data);
    EXPECT_EQ(ReadAll(port), (Bytes{'p', 'r', 'e'}));

    // 0xFF doubled on the wire, counted once for the caller; and both ways
    const Bytes data{0xFF, 'A', 0xFF};
    EXPECT_EQ(port.WriteAvailable(data.data(), data.size()).written, 3u);
    EXPECT_EQ(peer.Take(), (Bytes{0xFF, 0xFF, 'A', 0xFF, 0xFF}));
    peer.Send({'x', 0xFF, 0xFF, 'y', 0xFF});
    peer.Send({0xFF, 'z'}); // the escape cut between two packets
    std::this_thread::sleep_for(50ms);
    Bytes read;
    while (read.size() < 4 && port.WaitReadable() == WaitResult::Data) {
        const Bytes more = ReadAll(port);
        read.insert(read.end(), more.begin(), more.end());
    }
    EXPECT_EQ(read, (Bytes{'x', 0xFF, 'y', 0xFF, 'z'}));

    // the purges reach the server; modem lines too
    port.DiscardOutput();
    port.Purge();
    port.SetDtr(false);
    const Split purges = Decode(peer.Take());
    ASSERT_EQ(purges.commands.size(), 3u);
    EXPECT_EQ(purges.commands[0].payload, (Bytes{Rfc2217Session::kPurgeData, 2}));
    EXPECT_EQ(purges.commands[1].payload, (Bytes{Rfc2217Session::kPurgeData, 3}));
    EXPECT_EQ(purges.commands[2].payload, (Bytes{Rfc2217Session::kSetControl, 9}));

    peer.Hang();
    EXPECT_EQ(port.WaitReadable(), WaitResult::HangUp);
    EXPECT_NE(port.WriteAvailable(data.data(), 1).error, 0);
}

// A server that answers SET-BAUDRATE with another rate, or with no rate at all, kept its own:
// the line is not at the rate asked for.
TEST(NetworkPortTest, Rfc2217RateAnswersThatConfirmAnotherRateAreRefusals) {
    for (const Bytes& reply : {Bytes{101, 0, 0, 1, 0x2C}, Bytes{101}, Bytes{101, 0, 0}}) {
        Peer peer;
        NetworkPort port;
        ASSERT_TRUE(port.Open(peer.Address("rfc2217")));
        ASSERT_TRUE(peer.Accept());
        (void)peer.Take(50);
        auto configured = std::async(std::launch::async, [&] {
            return port.Configure({9600, 8, kParityNone, kStopOne, 0});
        });
        (void)peer.Take(100);
        Bytes answer;
        AppendSubNegotiation(answer, telnet::kComPort, reply);
        peer.Send(answer);
        ASSERT_EQ(configured.wait_for(2s), std::future_status::ready);
        EXPECT_FALSE(configured.get()) << reply.size();
        EXPECT_EQ(NetworkFailureReason(peer.Address("rfc2217"), port.LastError()),
                  "127.0.0.1 did not set the line: it answered with another rate");
    }
}

TEST(NetworkPortTest, RawTcpCarriesBytesAsTheyAre) {
    Peer peer;
    NetworkPort port;
    ASSERT_TRUE(port.Open(peer.Address("socket")));
    ASSERT_TRUE(peer.Accept());
    EXPECT_TRUE(port.Configure({9600, 8, kParityNone, kStopOne, 0})); // the server's own
    const Bytes data{0xFF, 0xFB, 0x01, 'A'};
    EXPECT_EQ(port.WriteAvailable(data.data(), data.size()).written, 4u);
    EXPECT_EQ(peer.Take(), data);
    peer.Send(data);
    ASSERT_EQ(port.WaitReadable(), WaitResult::Data);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(ReadAll(port), data);
    EXPECT_EQ(port.ModemStatus(), kModemCts | kModemDsr | kModemRlsd);
}

// A send is held to the line's rate; a Cancel's purge frees the line at once for the escapes.
TEST(NetworkPortTest, SendsArePacedByTheLineAndACancelFreesIt) {
    Peer peer;
    std::uint64_t now = 1000000;
    NetworkPort port([&] { return now; });
    ASSERT_TRUE(port.Open(peer.Address("tcp")));
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(port.Configure({9600, 8, kParityNone, kStopOne, 0}));
    const Bytes block(4096, 'd');
    const std::size_t first = port.WriteAvailable(block.data(), block.size()).written;
    EXPECT_GT(first, 50u);
    EXPECT_LT(first, 120u); // a tenth of a second at 960 bytes a second
    EXPECT_EQ(port.OutputQueued(), first);
    EXPECT_EQ(port.WriteAvailable(block.data(), block.size()).written, 0u);
    now += 50000;
    EXPECT_NEAR(double(port.OutputQueued()), static_cast<double>(first) / 2, 3.0);
    port.DiscardOutput();
    EXPECT_EQ(port.OutputQueued(), 0u);
    const Bytes escapes{0x1B, 0x1B};
    EXPECT_EQ(port.WriteAvailable(escapes.data(), escapes.size()).written, 2u);
    const Bytes wire = peer.Take();
    ASSERT_EQ(wire.size(), first + 2);
    EXPECT_EQ(wire.back(), 0x1B);
}

// The window connects ahead on a thread of its own; the port then takes that very connection
// instead of making a second one.
TEST(NetworkPortTest, APortTakesTheConnectionMadeAhead) {
    Peer peer;
    ConnectAhead ahead;
    const PortFactory ports = ahead.Ports(MakePort);
    EXPECT_FALSE(ahead.Start("/dev/ttyUSB0", [] {})) << "a device opens at once";
    std::promise<void> made;
    ASSERT_TRUE(ahead.Start(peer.Address("tcp"), [&] { made.set_value(); }));
    made.get_future().wait();
    EXPECT_FALSE(ahead.Start(peer.Address("tcp"), [] {})) << "ready: nothing left to wait for";
    ASSERT_TRUE(peer.Accept());
    const OpenedPort opened = OpenAddress(ports, peer.Address("tcp"));
    ASSERT_NE(opened.port, nullptr);
    ASSERT_TRUE(opened.port->Configure({9600, 8, kParityNone, kStopOne, 0}));
    const Bytes data{'A'};
    EXPECT_EQ(opened.port->WriteAvailable(data.data(), data.size()).written, 1u);
    EXPECT_EQ(peer.Take(), data);
    pollfd second{peer.listener, POLLIN, 0};
    EXPECT_EQ(::poll(&second, 1, 100), 0) << "no second connection";
}

TEST(NetworkPortTest, FailuresToConnectAreToldApart) {
    std::string closedAddress;
    {
        Peer gone;
        closedAddress = gone.Address("rfc2217");
    } // nothing listens there now
    struct Case {
        std::string address;
        LinkErrorKind kind;
        std::string reason;
    };
    const Case cases[] = {
        {closedAddress, LinkErrorKind::Refused,
         "127.0.0.1 refused the connection: nothing serves port " +
             closedAddress.substr(closedAddress.rfind(':') + 1) + " there"},
        {"tcp://127.0.0.1", LinkErrorKind::BadAddress,
         "the address names no port: write it as HOST:PORT"},
        {"rfc2217://[::1]:99999", LinkErrorKind::BadAddress,
         "the port \"99999\" is no number from 1 to 65535"},
    };
    for (const Case& c : cases) {
        const OpenedPort opened = OpenAddress(MakePort, c.address);
        EXPECT_EQ(opened.port, nullptr) << c.address;
        EXPECT_EQ(opened.error.kind, c.kind) << c.address;
        EXPECT_EQ(NetworkFailureReason(c.address, opened.error), c.reason);
        EXPECT_EQ(OpenFailureText(c.address, c.address, opened.error),
                  "Cannot create connection via port " + c.address + "!\n" + c.address +
                      " don't exist or is used by another application.\n\n" + c.address + ": " +
                      c.reason);
    }
    EXPECT_EQ(NetworkFailureReason("rfc2217://bench:4000", {LinkErrorKind::TimedOut, 0}),
              "bench did not answer in time");
    EXPECT_EQ(NetworkFailureReason("/dev/ttyUSB0", {LinkErrorKind::NotFound, 2}), "");

    // the server takes the connection and ends it before confirming the line
    Peer closing;
    NetworkPort port;
    ASSERT_TRUE(port.Open(closing.Address("rfc2217")));
    ASSERT_TRUE(closing.Accept());
    closing.Hang();
    EXPECT_FALSE(port.Configure({}));
    EXPECT_EQ(port.LastError().kind, LinkErrorKind::ClosedByServer);
}

} // namespace
} // namespace t8::test
