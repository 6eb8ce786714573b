#include "link/LinePacer.h"
#include "link/NetAddress.h"
#include "link/Reconnector.h"
#include "link/RetryBackoff.h"
#include "link/Rfc2217Session.h"
#include "link/TelnetCodec.h"

#include <gtest/gtest.h>

#include <vector>

namespace t8::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace telnet;

struct Decoded {
    Bytes data;
    std::vector<TelnetCommand> commands;
};

Decoded DecodeInPieces(const Bytes& wire, std::size_t cut) {
    TelnetDecoder decoder;
    Decoded out;
    decoder.Feed(wire.data(), cut, out.data, out.commands);
    decoder.Feed(wire.data() + cut, wire.size() - cut, out.data, out.commands);
    return out;
}

TEST(TelnetCodecTest, DataAndCommandsComeApartWhereverTheStreamIsCut) {
    Bytes wire{'a', kIac, kIac, 'b'};
    AppendNegotiation(wire, kDo, kBinary);
    wire.push_back('c');
    AppendSubNegotiation(wire, kComPort, {101, 0, 0, 0xFF, 0xFF});
    wire.insert(wire.end(), {kIac, 241, 'd'}); // a NOP carries nothing
    for (std::size_t cut = 0; cut <= wire.size(); ++cut) {
        const Decoded out = DecodeInPieces(wire, cut);
        EXPECT_EQ(out.data, (Bytes{'a', 0xFF, 'b', 'c', 'd'})) << "cut at " << cut;
        ASSERT_EQ(out.commands.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(out.commands[0].verb, kDo);
        EXPECT_EQ(out.commands[0].option, kBinary);
        EXPECT_EQ(out.commands[1].verb, kSb);
        EXPECT_EQ(out.commands[1].payload, (Bytes{101, 0, 0, 0xFF, 0xFF}));
    }
}

TEST(TelnetCodecTest, EveryByteValueSurvivesEscapingAndAnOverlongSubNegotiationIsCut) {
    Bytes all;
    for (int value = 0; value < 256; ++value) {
        all.push_back(static_cast<std::uint8_t>(value));
    }
    all.push_back(0xFF);
    Bytes wire;
    AppendEscaped(wire, all.data(), all.size());
    EXPECT_EQ(wire.size(), all.size() + 2);
    EXPECT_EQ(DecodeInPieces(wire, 255).data, all);

    Bytes longSub;
    AppendSubNegotiation(longSub, kComPort, Bytes(1000, 7));
    longSub.push_back('z');
    const Decoded out = DecodeInPieces(longSub, 500);
    ASSERT_EQ(out.commands.size(), 1u);
    EXPECT_EQ(out.commands[0].payload.size(), TelnetDecoder::kMaxPayload);
    EXPECT_EQ(out.data, Bytes{'z'});
}

// The commands a session sends, as the server reads them.
std::vector<TelnetCommand> Commands(const Bytes& wire) {
    return DecodeInPieces(wire, 0).commands;
}

TEST(Rfc2217SessionTest, LineSettingsBecomeOneCommandEach) {
    Rfc2217Session session;
    struct Case {
        LineSettings line;
        Bytes rate;
        std::uint8_t size, parity, stop, control;
    };
    const Case cases[] = {
        {{115200, 8, kParityNone, kStopOne, 0}, {0, 1, 0xC2, 0}, 8, 1, 1, 1},
        {{9600, 7, kParityEven, kStopTwo, kFlowRtsCts}, {0, 0, 0x25, 0x80}, 7, 3, 2, 3},
        {{511, 5, kParitySpace, kStopOneAndHalf, kFlowXonXoff}, {0, 0, 1, 0xFF}, 5, 5, 3, 2},
        {{300, 8, kParityOdd, kStopOne, kFlowDtrDsr}, {0, 0, 1, 0x2C}, 8, 2, 1, 1},
    };
    for (const Case& c : cases) {
        Bytes wire;
        session.AppendSettings(wire, c.line);
        const auto commands = Commands(wire);
        ASSERT_EQ(commands.size(), 5u);
        Bytes rate{Rfc2217Session::kSetBaudRate};
        rate.insert(rate.end(), c.rate.begin(), c.rate.end());
        EXPECT_EQ(commands[0].payload, rate) << c.line.baudRate;
        EXPECT_EQ(commands[1].payload, (Bytes{Rfc2217Session::kSetDataSize, c.size}));
        EXPECT_EQ(commands[2].payload, (Bytes{Rfc2217Session::kSetParity, c.parity}));
        EXPECT_EQ(commands[3].payload, (Bytes{Rfc2217Session::kSetStopSize, c.stop}));
        EXPECT_EQ(commands[4].payload, (Bytes{Rfc2217Session::kSetControl, c.control}));
        for (const auto& command : commands) {
            EXPECT_EQ(command.option, kComPort);
        }
    }
}

TEST(Rfc2217SessionTest, NegotiationAnswersOnlyChangesAndNeverLoops) {
    Rfc2217Session session;
    Bytes greeting;
    session.AppendGreeting(greeting);
    EXPECT_EQ(Commands(greeting).size(), 5u); // WILL x3, DO x2

    // the server agrees to our offers, asks for echo, and offers its own binary mode
    Bytes server;
    for (std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) {
        AppendNegotiation(server, kDo, option);
    }
    AppendNegotiation(server, kWill, kBinary);
    AppendNegotiation(server, kDo, 1);    // echo: not ours to do
    AppendNegotiation(server, kWill, 24); // terminal type: not wanted
    Bytes data;
    Bytes reply;
    session.Receive(server.data(), server.size(), data, reply);
    const auto answers = Commands(reply);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].verb, kWont);
    EXPECT_EQ(answers[0].option, 1);
    EXPECT_EQ(answers[1].verb, kDont);
    EXPECT_EQ(answers[1].option, 24);
    EXPECT_TRUE(data.empty());

    // a server that turns binary off is answered once; hearing it again changes nothing
    Bytes off;
    AppendNegotiation(off, kDont, kBinary);
    reply.clear();
    session.Receive(off.data(), off.size(), data, reply);
    EXPECT_EQ(Commands(reply).size(), 1u);
    reply.clear();
    session.Receive(off.data(), off.size(), data, reply);
    EXPECT_TRUE(reply.empty());
    EXPECT_FALSE(session.ComPortRefused());
}

TEST(Rfc2217SessionTest, ServerAnswersAndNoticesAreKept) {
    Rfc2217Session session;
    Bytes server{'x'};
    AppendSubNegotiation(server, kComPort, {101, 0, 0, 0x25, 0x80});
    AppendSubNegotiation(server, kComPort, {107, 0xFF}); // every line and the change bits
    AppendSubNegotiation(server, kComPort, {108});
    server.push_back('y');
    EXPECT_EQ(session.ModemState(), -1);
    Bytes data;
    Bytes reply;
    session.Receive(server.data(), server.size(), data, reply);
    EXPECT_EQ(data, (Bytes{'x', 'y'}));
    EXPECT_EQ(session.RateAnswers(), 1u);
    EXPECT_EQ(session.AnsweredRate(), 9600u);
    EXPECT_EQ(session.ModemState(), int(kModemCts | kModemDsr | kModemRing | kModemRlsd));
    EXPECT_TRUE(session.HeldByServer());

    Bytes more;
    AppendSubNegotiation(more, kComPort, {109});
    AppendSubNegotiation(more, kComPort, {107, kModemDsr | 0x02});
    AppendNegotiation(more, kDont, kComPort);
    session.Receive(more.data(), more.size(), data, reply);
    EXPECT_FALSE(session.HeldByServer());
    EXPECT_EQ(session.ModemState(), int(kModemDsr));
    EXPECT_TRUE(session.ComPortRefused());
}

TEST(NetAddressTest, AddressesSplitOrSayWhatIsWrong) {
    struct Case {
        const char* address;
        NetProtocol protocol;
        const char* host;
        std::uint16_t port;
        const char* problem; // a part of it
    };
    const Case cases[] = {
        {"rfc2217://bench-7:4000", NetProtocol::Rfc2217, "bench-7", 4000, ""},
        {"RFC2217://10.0.0.2:1", NetProtocol::Rfc2217, "10.0.0.2", 1, ""},
        {"tcp://[::1]:65535/", NetProtocol::RawTcp, "::1", 65535, ""},
        {"socket://host:23", NetProtocol::RawTcp, "host", 23, ""},
        {"tcp://host", NetProtocol::RawTcp, "", 0, "names no port"},
        {"tcp://host:", NetProtocol::RawTcp, "", 0, "no number from 1 to 65535"},
        {"tcp://host:65536", NetProtocol::RawTcp, "", 0, "no number from 1 to 65535"},
        {"tcp://host:0", NetProtocol::RawTcp, "", 0, "no number from 1 to 65535"},
        {"tcp://host:40x", NetProtocol::RawTcp, "", 0, "no number from 1 to 65535"},
        {"tcp://:4000", NetProtocol::RawTcp, "", 0, "names no host"},
        {"tcp://[::1]", NetProtocol::RawTcp, "", 0, "names no port"},
        {"tcp://::1:4000", NetProtocol::RawTcp, "", 0, "in brackets"},
        {"tcp://host:4000/x", NetProtocol::RawTcp, "", 0, "no path"},
        {"/dev/ttyUSB0", NetProtocol::None, "", 0, "not a network address"},
        {"ftp://host:21", NetProtocol::None, "", 0, "not a network address"},
    };
    for (const Case& c : cases) {
        const NetAddress parsed = ParseNetAddress(c.address);
        EXPECT_EQ(parsed.protocol, c.protocol) << c.address;
        EXPECT_EQ(parsed.host, c.host) << c.address;
        EXPECT_EQ(parsed.port, c.port) << c.address;
        if (*c.problem == '\0') {
            EXPECT_EQ(parsed.problem, "") << c.address;
        } else {
            EXPECT_NE(parsed.problem.find(c.problem), std::string::npos)
                << c.address << ": " << parsed.problem;
        }
    }
}

TEST(LinePacerTest, WritesAreHeldToAboutATenthOfASecondOfTheLine) {
    LinePacer pacer;
    pacer.SetLine({9600, 8, kParityNone, kStopOne, 0});
    std::uint64_t now = 1000000;
    const std::size_t limit = pacer.Room(now);
    EXPECT_GE(limit, 90u); // 960 bytes a second
    EXPECT_LE(limit, 100u);
    pacer.Wrote(limit, now);
    EXPECT_EQ(pacer.Room(now), 0u);
    EXPECT_EQ(pacer.Queued(now), limit);
    EXPECT_GT(pacer.WaitForRoomUs(now), 0u);
    now += pacer.WaitForRoomUs(now);
    EXPECT_GE(pacer.Room(now), 1u);
    now += 50000;
    EXPECT_NEAR(double(pacer.Queued(now)), static_cast<double>(limit) / 2, 3.0);
    pacer.Clear();
    EXPECT_EQ(pacer.Queued(now), 0u);

    // a sender offering more every 10 ms for two seconds gets the line's rate, no more
    std::size_t taken = 0;
    for (int tick = 0; tick < 200; ++tick, now += 10000) {
        const std::size_t room = pacer.Room(now);
        pacer.Wrote(room, now);
        taken += room;
    }
    EXPECT_NEAR(double(taken), 2 * 960.0 + static_cast<double>(limit), 20.0);

    // a longer frame carries fewer bytes; a fast line lets more through
    pacer.Clear();
    pacer.SetLine({9600, 8, kParityEven, kStopTwo, 0});
    EXPECT_LT(pacer.Room(now), limit);
    pacer.SetLine({115200, 8, kParityNone, kStopOne, 0});
    EXPECT_GT(pacer.Room(now), 1000u);
    pacer.SetLine({300, 8, kParityNone, kStopOne, 0});
    EXPECT_EQ(pacer.Room(now), LinePacer::kMinInFlight);
}

TEST(RetryBackoffTest, NetworkAddressesAreRetriedAfterGrowingWaits) {
    std::uint64_t now = 5000;
    std::vector<std::uint64_t> attempts;
    bool serverBack = false;
    Reconnector reconnector(
        [&](const std::string& path) {
            EXPECT_EQ(path, "rfc2217://bench:4000");
            attempts.push_back(now);
            return serverBack;
        },
        [&] { return now; });
    ASSERT_TRUE(reconnector.Await({"rfc2217://bench:4000", "rfc2217://bench:4000", "", false, {}}));
    EXPECT_TRUE(reconnector.RetryPending());
    for (; now < 5000 + 100000; now += 250) {
        EXPECT_FALSE(reconnector.OnRetryTimer());
    }
    std::vector<std::uint64_t> waits;
    for (std::size_t i = 0; i < attempts.size(); ++i) {
        waits.push_back(attempts[i] - (i == 0 ? 5000 : attempts[i - 1]));
    }
    EXPECT_EQ(waits, (std::vector<std::uint64_t>{1000, 2000, 4000, 8000, 16000, 30000, 30000}));
    serverBack = true;
    now += 30000;
    EXPECT_TRUE(reconnector.OnRetryTimer());
    EXPECT_FALSE(reconnector.Awaiting());
    EXPECT_FALSE(reconnector.RetryPending());

    // a new wait starts again at the shortest
    RetryBackoff backoff;
    backoff.Start(0);
    backoff.Failed(1000);
    backoff.Start(2000);
    EXPECT_FALSE(backoff.Due(2999));
    EXPECT_TRUE(backoff.Due(3000));
}

} // namespace
} // namespace t8::test
