// Send and receive of a file through the simulated T8 on a pty: the effective throughput as a
// share of a paced line's rate, and the receive's speed with no line limit. It reports; it
// never fails a build. usage: t8transfer_bench [BYTES] [BAUD]   (defaults 1000000, 115200)
#include "tests/transfer/TransferHarness.h"

#include "sim/pty/SimServer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace t8::test {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

class Bench {
public:
    // The silence that ends the device's binary receive; taken off the measured time.
    static constexpr std::uint32_t kQuietGapMs = 300;
    static constexpr int kPatienceMs = 600000; // a megabyte at 9600 baud takes some 17 minutes

    Bench(std::uint32_t lineRate, std::size_t bytes) : size(bytes) {
        sim::DeviceOptions options;
        options.format = sim::Format::Binary;
        options.quietGapMs = kQuietGapMs;
        sim::ServerOptions serverOptions;
        serverOptions.lineRate = lineRate;
        server = std::make_unique<sim::SimServer>(options, serverOptions);
        ok = server->Open().empty();
        serving = std::thread([this] { (void)server->Run(); });
        rig.link.Record()->com.devicePath = server->SlavePath();
        ok = ok && rig.link.OpenPort() != 0;
        rig.ui.pause = [this](int ms) { Settle(ms); };
        rig.ui.maxTicks = 1 << 30;
    }
    ~Bench() {
        rig.link.ClosePort();
        server->Stop();
        serving.join();
    }

    // Seconds from the first piece to the device having taken the last byte.
    double Send() {
        std::vector<char> data(size);
        for (std::size_t i = 0; i < size; ++i) {
            data[i] = static_cast<char>(0x20 + i % 0x5F); // never a line break at the start
        }
        rig.ui.answers.push_back(rig.MakeFile("send.bin", {data.begin(), data.end()}));
        Clock::time_point first{};
        rig.ui.beforeTick = [&](int) {
            const DownloadStream* stream = rig.ui.download;
            if (stream != nullptr && stream->Position() > 0 && first == Clock::time_point{}) {
                first = Clock::now();
            }
        };
        rig.transfers->SendFileCommand();
        TickUntil("load address");
        rig.Type("00000\r"); // runs the download dialog until it closes
        rig.ui.beforeTick = nullptr;
        TickUntil("Received", 25);
        const auto last = Clock::now() - std::chrono::milliseconds(kQuietGapMs);
        return Seconds(first, last);
    }

    // Seconds from Enter to the last byte stored.
    double Receive() {
        const std::string target = rig.folder + "/received.bin";
        rig.ui.answers.push_back(target);
        rig.transfers->ReceiveFileCommand();
        TickUntil("range");
        char range[32];
        std::snprintf(range, sizeof range, "00000,%05zX", size - 1);
        rig.Type(range);
        TickUntil(range);
        receiveEnd = Clock::time_point{};
        watchingReceive = true;
        const auto start = Clock::now();
        rig.Type("\r"); // runs the upload dialog until the file is saved
        watchingReceive = false;
        received = ReadFile(target).size();
        return Seconds(start, receiveEnd);
    }

    bool ok = false;
    std::size_t received = 0;

private:
    // Lets `ms` pass in small steps, taking what arrived after each, so the end of a receive
    // is timed to the step rather than to the dialog's tick.
    void Settle(int ms) {
        constexpr int kStepMs = 2;
        for (int waited = 0; waited < ms; waited += kStepMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
            rig.link.DispatchReceived();
            if (watchingReceive && receiveEnd == Clock::time_point{} &&
                rig.link.Record()->transfer.receiveActive == 0) {
                receiveEnd = Clock::now();
            }
        }
    }
    // View timer ticks until the screen shows `text`; `stepMs` is the tick's length.
    void TickUntil(std::string_view text, int stepMs = 50) {
        for (int waited = 0; waited < kPatienceMs; waited += stepMs) {
            const auto& screen = rig.link.Record()->screen.cells;
            if (std::string_view(reinterpret_cast<const char*>(screen.data()), screen.size())
                    .find(text) != std::string_view::npos) {
                return;
            }
            Settle(stepMs);
            rig.transfers->OnTransferTimer();
        }
    }

    std::size_t size;
    bool watchingReceive = false;
    Clock::time_point receiveEnd{};
    TransferRig rig;
    std::unique_ptr<sim::SimServer> server;
    std::thread serving;
};

} // namespace
} // namespace t8::test

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::size_t bytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::uint32_t baud = argc > 2 ? static_cast<std::uint32_t>(std::atoi(argv[2])) : 115200;
    if (bytes == 0 || bytes > 0x100000) {
        std::fprintf(stderr, "BYTES must be 1 to 1048576 (the device's memory)\n");
        return 2;
    }
    const double lineBytesPerSecond = baud / 10.0;
    const auto total = static_cast<double>(bytes);
    {
        t8::test::Bench paced(baud, bytes);
        if (!paced.ok) {
            std::fprintf(stderr, "the simulator could not be reached\n");
            return 1;
        }
        const double send = paced.Send();
        std::printf("send    %zu bytes at %u baud: %.2f s, %.0f bytes/s, %.1f%% of the line\n",
                    bytes, baud, send, total / send, 100.0 * total / send / lineBytesPerSecond);
        const double receive = paced.Receive();
        std::printf("receive %zu bytes at %u baud: %.2f s, %.0f bytes/s, %.1f%% of the line "
                    "(%zu bytes saved)\n",
                    bytes, baud, receive, total / receive,
                    100.0 * total / receive / lineBytesPerSecond, paced.received);
    }
    t8::test::Bench open(0, bytes);
    (void)open.Send();
    const double receive = open.Receive();
    std::printf("receive %zu bytes with no line limit: %.3f s, %.2f MB/s (%zu bytes saved)\n",
                bytes, receive, total / receive / 1e6, open.received);
    return 0;
}
