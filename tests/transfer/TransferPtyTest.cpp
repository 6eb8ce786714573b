#include "tests/support/Ser2netServer.h"
#include "tests/transfer/LibraryRecords.h"
#include "tests/transfer/TransferHarness.h"

#include "formats/FormatRecognizer.h"
#include "sim/pty/SimServer.h"
#include "sim/records/FormatCodec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <thread>

namespace t8::test {
namespace {

using sim::Format;
using ::testing::Contains;
using ::testing::EndsWith;

constexpr std::uint32_t kStart = 0x100;
constexpr std::size_t kLength = 3000; // more than one piece
constexpr int kPatienceMs = 10000;    // generous: a loaded 2-core machine

// What the device's writer puts on the line for `data`: records with CR LF, or the raw bytes.
std::string DeviceText(Format format, const std::vector<std::uint8_t>& data) {
    if (sim::InfoOf(format).binaryData) {
        return {data.begin(), data.end()};
    }
    std::string text;
    for (const std::string& record : sim::MakeCodec(format)->Write(data, kStart, 16)) {
        text += record + "\r\n";
    }
    return text;
}

// The simulated T8 on a pty in this process, the link to it dispatched on the test thread.
class TransferPtyTest : public ::testing::Test {
protected:
    // `lineRate`: the device's line is paced at that many baud (0: unthrottled). `served`: the
    // link reaches it through ser2net over RFC 2217.
    void Start(std::uint32_t lineRate = 0, bool served = false) {
        sim::DeviceOptions options;
        options.format = format;
        sim::ServerOptions serverOptions;
        serverOptions.lineRate = lineRate;
        server = std::make_unique<sim::SimServer>(options, serverOptions);
        ASSERT_EQ(server->Open(), "");
        serving = std::thread([this] { (void)server->Run(); });
        rig.link.Record()->com.devicePath = server->SlavePath();
        if (served) {
            ser2net = std::make_unique<Ser2netServer>(server->SlavePath(), "telnet(rfc2217)");
            ASSERT_TRUE(ser2net->Start());
            rig.link.Record()->com.devicePath = ser2net->Address();
        }
        ASSERT_NE(rig.link.OpenPort(), 0);
        rig.ui.pause = [this](int ms) { Settle(ms); };
    }
    void TearDown() override { StopDevice(); }
    void StopDevice() {
        rig.link.ClosePort();
        if (serving.joinable()) {
            server->Stop();
            serving.join();
        }
    }
    void Settle(int ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        rig.link.DispatchReceived();
    }
    // View timer ticks until `done`, at most kPatienceMs.
    bool TickUntil(const std::function<bool()>& done) {
        for (int waited = 0; waited < kPatienceMs; waited += UploadProgress::kTickMs) {
            if (done()) {
                return true;
            }
            Settle(UploadProgress::kTickMs);
            rig.transfers->OnTransferTimer();
        }
        return done();
    }
    [[nodiscard]] bool ScreenShows(std::string_view text) const {
        const auto& screen = rig.link.Record()->screen.cells;
        return std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size())
                   .find(text) != std::string_view::npos;
    }
    // F8 with a file of the device's own writing, typed address where one is asked.
    void Send(const std::vector<std::uint8_t>& data) {
        const std::string file = rig.MakeFile("send.dat", DeviceText(format, data));
        rig.ui.answers.push_back(file);
        rig.transfers->SendFileCommand();
        if (!sim::InfoOf(format).carriesAddresses) {
            ASSERT_TRUE(TickUntil([&] { return ScreenShows("load address"); }));
            rig.Type("00100\r");
        }
        ASSERT_TRUE(TickUntil([&] { return rig.ui.ticks > 0; }));
    }
    // Sends a pattern, receives it back and checks the file and the device's memory.
    void RoundTrip() {
        std::vector<std::uint8_t> data(kLength);
        std::iota(data.begin(), data.end(), std::uint8_t{1}); // never a line break first
        Send(data);
        EXPECT_TRUE(TickUntil([&] { return ScreenShows("Received 3000 bytes"); }));
        // What comes back is the very file that was sent: the device's prompt follows the last
        // record's line end directly.
        const std::string received = Receive();
        EXPECT_EQ(ReadFile(received), DeviceText(format, data));
        EXPECT_THAT(rig.ui.log, Contains(EndsWith(ReceiveText() + "|No errors.")));
        // The host's readers, held to srec_cat in tests/formats, are the device writer's oracle.
        MemoryImage image;
        ASSERT_TRUE(RecognizeFile(image, received).recognized);
        std::vector<std::uint8_t> read(kLength);
        image.ReadPositions(sim::InfoOf(format).carriesAddresses ? kStart - image.BaseAddress() : 0,
                            read);
        EXPECT_EQ(read, data);
        StopDevice();
        const auto& state = server->GetDevice().State();
        const auto stored = state.ram.View(kStart, kLength);
        EXPECT_TRUE(std::equal(stored.begin(), stored.end(), data.begin()));
    }
    // What the upload progress says of a receive in the device's format.
    [[nodiscard]] std::string ReceiveText() const {
        switch (format) {
        case Format::Intel:
            return "|Receive INTELHEX format.";
        case Format::Motorola:
            return "|Receive MOTOROLA format.";
        case Format::Tek:
        case Format::TekExtended:
            return "|Receive TEKTRONIX format.";
        case Format::Ascii:
            return "|Receive ASCII format.";
        case Format::Binary:
            return "|Receive BINARY format.";
        }
        return {};
    }
    // F7 of the pattern's range, saved to the returned path.
    std::string Receive() {
        const std::string target = rig.folder + "/received.dat";
        rig.ui.answers.push_back(target);
        rig.transfers->ReceiveFileCommand();
        const std::string range = "00100,00CB7"; // kStart to kStart + kLength - 1
        TickUntil([&] { return ScreenShows("range"); });
        rig.Type(range);
        TickUntil([&] { return ScreenShows(range); });
        rig.Type("\r");
        return target;
    }

    Format format = Format::Intel;
    int portsMade = 0;
    TransferRig rig{[this](const std::string& address) {
        ++portsMade;
        return MakePort(address);
    }};
    std::unique_ptr<sim::SimServer> server;
    std::unique_ptr<Ser2netServer> ser2net;
    std::thread serving;
};

class EachFormat : public TransferPtyTest, public ::testing::WithParamInterface<Format> {
protected:
    EachFormat() { format = GetParam(); }
};

TEST_P(EachFormat, SendAndReceiveMatchTheDevice) {
    Start();
    RoundTrip();
}

// A slow line fills the driver's buffer within a second; from then on a blocking write of a
// piece would hold the window for seconds. Every tick must return at once, and Cancel must end
// the device's receive.
TEST_F(TransferPtyTest, ASlowLineNeverHoldsTheDialogAndCancelStillReachesTheDevice) {
    constexpr std::uint32_t kSlowBaud = 9600;
    constexpr int kCancelTick = 30;
    constexpr auto kLongestTick = std::chrono::milliseconds(1000); // 50 ms, and a loaded machine
    Start(kSlowBaud);
    std::vector<std::uint8_t> data(std::size_t{64} << 10);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    rig.ui.answers.push_back(rig.MakeFile("slow.hex", DeviceText(format, data)));
    std::vector<std::chrono::steady_clock::time_point> starts;
    rig.ui.beforeTick = [&](int tick) {
        starts.push_back(std::chrono::steady_clock::now());
        if (tick == kCancelTick) {
            rig.ui.download->Cancel();
        }
    };
    rig.transfers->SendFileCommand();
    ASSERT_TRUE(TickUntil([&] { return rig.ui.ticks > 0; }));
    ASSERT_EQ(rig.ui.ticks, kCancelTick + 1) << "Cancel ends the dialog on its own tick";
    auto longest = std::chrono::steady_clock::duration{};
    for (std::size_t i = 1; i < starts.size(); ++i) {
        longest = std::max(longest, starts[i] - starts[i - 1]);
    }
    EXPECT_LT(longest, kLongestTick);
    EXPECT_TRUE(TickUntil([&] { return ScreenShows("Receive aborted"); }))
        << "the four escapes reached the device";
}

// F9 against the simulated T8: the library arrives without its F800 record, starts, and runs
// at the rate the PC stepped it back to; no key reached it at another rate than its own. Through
// ser2net the rates change on the open connection, which the server never closes meanwhile.
class LibraryPtyTest : public TransferPtyTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LibraryPtyTest, TheDeviceRunsTheLibraryAtThePcsRate) {
    if (GetParam() && !Ser2netServer::Installed()) {
        GTEST_SKIP() << Ser2netServer::kProgram << " is not installed";
    }
    Start(0, GetParam());
    const std::string library = IntelRecord(0x0010, {0x55, 0xAA, 0x01}) + "\n" +
                                IntelRecord(0xF800, {0x99}) + "\n" + IntelRecord(0xF7FF, {0x77}) +
                                "\n" + kEndRecord + "\n";
    rig.ui.answers.push_back(rig.MakeFile("sim.hex", library));
    rig.transfers->ReceiveLibraryCommand();
    rig.Type("LL"); // the device answers at the PC's rate again
    EXPECT_TRUE(TickUntil(
        [&] { return ScreenShows("Library of 3 records loaded and running at 115200 baud"); }));
    StopDevice();
    const sim::DeviceState& state = server->GetDevice().State();
    EXPECT_TRUE(state.libraryLoaded && state.libraryRunning);
    EXPECT_EQ(state.libraryBaudRate, 115200U);
    EXPECT_EQ(server->GetDevice().BaudRate(), 115200U);
    EXPECT_EQ(state.library.At(0x11), 0xAA);
    EXPECT_EQ(state.library.At(0xF7FF), 0x77);
    EXPECT_EQ(server->GetDevice().NoiseBytes(), 0U);
    // a device is reopened at each of the two rates; a network line is never reopened
    EXPECT_EQ(portsMade, GetParam() ? 1 : 3);
}

INSTANTIATE_TEST_SUITE_P(DeviceAndServed, LibraryPtyTest, ::testing::Bool());

INSTANTIATE_TEST_SUITE_P(Formats, EachFormat,
                         ::testing::Values(Format::Intel, Format::Motorola, Format::Tek,
                                           Format::Ascii, Format::Binary));

} // namespace
} // namespace t8::test
