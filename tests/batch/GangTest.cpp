#include "tests/support/TempFolder.h"
#include "tools/t8batch/EventLoop.h"
#include "tools/t8batch/GangLoop.h"
#include "tools/t8batch/GangPorts.h"
#include "tools/t8batch/GangSummary.h"
#include "tools/t8batch/JunitReport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace t8 {
namespace {

std::vector<std::string> Addresses(const GangPorts& gang) {
    std::vector<std::string> addresses;
    for (const GangPort& port : gang.ports) {
        addresses.push_back(port.address + "=" + port.name);
    }
    return addresses;
}

TEST(GangPortsTest, PatternsInPlaceSortedAndEachDeviceOnce) {
    test::TempFolder dir;
    for (const char* name : {"b-port0", "a-port0", "c-port1", "x[1]"}) {
        std::ofstream(dir.Path(name)) << name;
    }
    const GangPorts gang =
        ExpandPorts({dir.Path("c-port1"), dir.Path("*-port0"), "tcp://line7:4001"});
    EXPECT_EQ(gang.error, "");
    EXPECT_EQ(Addresses(gang), (std::vector<std::string>{dir.Path("c-port1") + "=c-port1",
                                                         dir.Path("a-port0") + "=a-port0",
                                                         dir.Path("b-port0") + "=b-port0",
                                                         "tcp://line7:4001=line7_4001"}))
        << "given order, a pattern's matches sorted in its place";

    EXPECT_EQ(Addresses(ExpandPorts({dir.Path("x[1]")})),
              std::vector<std::string>{dir.Path("x[1]") + "=x_1_"})
        << "a file whose name looks like a pattern is that file";
    EXPECT_EQ(ExpandPorts({dir.Path("*-port9")}).error,
              "--port " + dir.Path("*-port9") + " matches no device");

    dir.Link("by-id/usb-T8-if00", dir.Path("a-port0"));
    EXPECT_EQ(ExpandPorts({dir.Path("a-port0"), dir.Path("by-id/usb-T8-if00")}).error,
              "--port " + dir.Path("by-id/usb-T8-if00") + " is the same device as " +
                  dir.Path("a-port0"));
    EXPECT_NE(ExpandPorts({dir.Path("*-port0"), dir.Path("b-port0")}).error, "")
        << "a port a pattern found already";
    EXPECT_NE(ExpandPorts({"/dev/null", "/dev/./null"}).error, "") << "one device, two names";
    EXPECT_NE(ExpandPorts({"tcp://a:1", "tcp://a:1"}).error, "");

    std::filesystem::create_directories(dir.Path("other"));
    std::ofstream(dir.Path("other/a-port0")) << "another";
    EXPECT_EQ(Addresses(ExpandPorts(
                  {dir.Path("a-port0"), dir.Path("other/a-port0"), dir.Path("other/../b-port0")})),
              (std::vector<std::string>{dir.Path("a-port0") + "=a-port0",
                                        dir.Path("other/a-port0") + "=a-port0-2",
                                        dir.Path("other/../b-port0") + "=b-port0"}))
        << "two devices of one name get names of their own";
}

TEST(GangPortsTest, ShortNamesAndTheirPlaceInFileNames) {
    EXPECT_EQ(ShortPortName("/dev/ttyUSB0"), "ttyUSB0");
    EXPECT_EQ(ShortPortName("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"),
              "pci-0000_00_14.0-usb-0_2_1.0-port0");
    EXPECT_EQ(ShortPortName("rfc2217://10.0.0.5:2217/x"), "10.0.0.5_2217");
    EXPECT_EQ(ShortPortName("/tmp/odd name$/"), "odd_name_");
    EXPECT_EQ(ShortPortName("/.."), "port") << "never a name that walks out of a folder";
    EXPECT_EQ(ShortPortName("tcp://"), "port");

    EXPECT_EQ(PortFileName("out/burn.log", "ttyUSB0"), "out/burn.ttyUSB0.log");
    EXPECT_EQ(PortFileName("readback.hex", "p1"), "readback.p1.hex");
    EXPECT_EQ(PortFileName("a.tar.gz", "p1"), "a.tar.p1.gz");
    EXPECT_EQ(PortFileName("dir.d/image", "p1"), "dir.d/image.p1") << "a folder's dot";
    EXPECT_EQ(PortFileName("/jobs/.hidden", "p1"), "/jobs/.hidden.p1");
    EXPECT_EQ(PortFileName("image.", "p1"), "image.p1.");
    EXPECT_EQ(PortFileName("/dev/null", "p1"), "/dev/null") << "every port shares a device";
}

RunReport Report(RunResult result, std::string message, std::uint64_t ms) {
    RunReport report;
    report.file = "job.t8b";
    report.result = result;
    report.message = std::move(message);
    report.elapsedMs = ms;
    report.steps = {{1, "T8 :", 0, ms}};
    report.failingLine = result == RunResult::Ok ? 0 : 1;
    return report;
}

TEST(GangSummaryTest, TheFirstFailureInTheOrderGivenDecides) {
    const RunReport ok = Report(RunResult::Ok, "batch file executed successfully", 12345);
    const RunReport timeout = Report(RunResult::Timeout, "no prompt", 60000);
    const RunReport device = Report(RunResult::DeviceFailure, "the device sent \"Fail\"", 900);
    const RunReport port = Report(RunResult::PortError, "cannot open /dev/ttyUSB9", 3);

    EXPECT_EQ(GangExitStatus({{"/dev/a", "a", ok}, {"/dev/b", "b", ok}}), 0);
    EXPECT_EQ(GangExitStatus({{"/dev/a", "a", ok}, {"/dev/b", "b", device}, {"/dev/c", "c", port}}),
              1);
    EXPECT_EQ(GangExitStatus({{"/dev/c", "c", port}, {"/dev/b", "b", device}}), 3)
        << "the order given, not the lowest status";
    EXPECT_EQ(GangExitStatus({{"/dev/a", "a", timeout}, {"/dev/c", "c", port}}), 2)
        << "nor the highest";
    EXPECT_EQ(GangVerdict({{"/dev/a", "a", ok}, {"/dev/b", "b", timeout}, {"/dev/c", "c", port}}),
              "1 of 3 ports passed; the first to fail: b (timeout)");
    EXPECT_EQ(FinishedLine({"/dev/a", "a", ok}),
              "a: ok (exit 0) in 12.3 s: batch file executed successfully");
}

TEST(GangSummaryTest, TheTableAlignsItsColumnsAndTheJsonHoldsEachReport) {
    const RunReport ok = Report(RunResult::Ok, "batch file executed successfully", 12345);
    const RunReport port = Report(RunResult::PortError, "cannot open /dev/ttyUSB9", 3);
    const std::vector<GangEntry> entries{{"/dev/serial/by-path/x-port0", "x-port0", ok},
                                         {"/dev/ttyUSB9", "ttyUSB9", port}};
    std::vector<std::string> lines;
    std::istringstream table(GangTable(entries));
    for (std::string line; std::getline(table, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 3u);
    for (const char* column : {"result", "exit", "message", "elapsed"}) {
        const std::size_t at = lines[0].find(column);
        ASSERT_NE(at, std::string::npos) << column;
        for (const std::size_t row : {1u, 2u}) {
            EXPECT_EQ(lines[row][at - 1], ' ') << column;
            EXPECT_NE(lines[row][at], ' ') << column << " starts where its heading does";
        }
    }
    EXPECT_EQ(lines[1].substr(lines[0].find("result"), 2), "ok");
    EXPECT_EQ(lines[2].substr(lines[0].find("exit"), 1), "3");
    EXPECT_EQ(lines[2].substr(lines[0].find("message"), 24), "cannot open /dev/ttyUSB9");
    EXPECT_TRUE(lines[2].ends_with("0.0 s"));

    const std::string json = GangJson(entries);
    EXPECT_TRUE(json.starts_with("{\"result\":\"port-error\",\"exitCode\":3,\"message\":\"1 of 2 "
                                 "ports passed; the first to fail: ttyUSB9 (port-error)\","
                                 "\"ports\":[{\"port\":\"/dev/serial/by-path/x-port0\","
                                 "\"name\":\"x-port0\",\"file\":"))
        << json;
    for (const RunReport* report : {&ok, &port}) {
        const std::string alone = report->Json();
        EXPECT_NE(json.find(alone.substr(1, alone.size() - 2)), std::string::npos)
            << "each port's report as a run alone gives it";
    }
    EXPECT_TRUE(json.ends_with("}]}"));
    EXPECT_TRUE(GangJson({entries[0]}, "cannot write the JUnit report /dev/full: full")
                    .starts_with("{\"result\":\"file-error\",\"exitCode\":4,\"message\":\"1 of 1 "
                                 "ports passed; cannot write the JUnit report /dev/full: full\""))
        << "the gang's own report missing fails a gang that passed";
    EXPECT_TRUE(GangJson(entries, "full").starts_with("{\"result\":\"port-error\",\"exitCode\":3"))
        << "and leaves a failure as it was";
}

TEST(JunitReportTest, AGangHasATestsuiteForEachPort) {
    const RunReport ok = Report(RunResult::Ok, "batch file executed successfully", 1500);
    const RunReport failed = Report(RunResult::DeviceFailure, "the device sent \"Fail\"", 2500);
    const std::string xml = JunitXml(std::vector<GangSuite>{{ok, "ttyUSB0"}, {failed, "ttyUSB1"}});
    EXPECT_NE(xml.find("<testsuites name=\"t8batch\" tests=\"2\" failures=\"1\" errors=\"0\" "
                       "time=\"2.500\">"),
              std::string::npos)
        << xml;
    const std::size_t first = xml.find("<testsuite name=\"job.t8b on ttyUSB0\" tests=\"1\" "
                                       "failures=\"0\"");
    const std::size_t second = xml.find("<testsuite name=\"job.t8b on ttyUSB1\" tests=\"1\" "
                                        "failures=\"1\"");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_GT(xml.find("<failure"), second) << "the failure is the second port's";
    EXPECT_EQ(xml.find("<testsuite ", second + 1), std::string::npos) << "two suites, no more";
}

// Two ports on one gang: what one waits for in a nested loop never holds the other back, a
// wake-up reaches its own port only, and a stop signal reaches both.
TEST(GangLoopTest, EachPortWaitsOnItsOwn) {
    GangLoop gang;
    ASSERT_TRUE(gang.Ok());
    EventLoop slow(&gang);
    EventLoop quick(&gang);
    std::vector<std::string> order;
    std::vector<int> signals;
    int quickWoken = 0;
    int slowWoken = 0;
    const auto counting = [&signals](int& woken) {
        return [&signals, &woken](const EventLoop::Events& events) {
            woken += events.woken ? 1 : 0;
            if (events.signal != 0) {
                signals.push_back(events.signal);
            }
        };
    };
    slow.SetHandler(counting(slowWoken));
    quick.SetHandler(counting(quickWoken));
    ASSERT_TRUE(gang.Add(slow, [&] {
        EventLoop::Timer wait{400, [] {}};
        const std::uint64_t until = slow.NowMs() + 400;
        slow.PumpWith(wait, [&] { return slow.NowMs() >= until; });
        order.push_back("slow");
        EventLoop::Timer idle{50, [] {}};
        slow.PumpWith(idle, [&] { return signals.size() == 2; });
    }));
    ASSERT_TRUE(gang.Add(quick, [&] {
        for (int step = 0; step < 3; ++step) {
            EventLoop::Timer wait{20, [] {}};
            const std::uint64_t until = quick.NowMs() + 20;
            quick.PumpWith(wait, [&] { return quick.NowMs() >= until; });
        }
        std::thread([&quick] { quick.Wake(); }).join();
        EventLoop::Timer poll{10, [] {}};
        quick.PumpWith(poll, [&] { return quickWoken > 0; });
        order.push_back("quick");
        EventLoop::Timer idle{50, [] {}};
        quick.PumpWith(idle, [&] { return !order.empty() && order.back() == "slow"; });
        ::raise(SIGTERM);
        quick.PumpWith(idle, [&] { return !signals.empty(); });
    }));
    gang.Run();
    EXPECT_EQ(order, (std::vector<std::string>{"quick", "slow"}));
    EXPECT_EQ(quickWoken, 1);
    EXPECT_EQ(slowWoken, 0) << "the wake-up was the quick port's";
    EXPECT_EQ(signals, (std::vector<int>{SIGTERM, SIGTERM})) << "the signal reached both";
}

// A port that sleeps (closing, it waits for the line to drain) sleeps its time whatever comes
// meanwhile, and what came waits for its next Pump.
TEST(GangLoopTest, ASleepIsNotCutShortAndLosesNothing) {
    GangLoop gang;
    EventLoop loop(&gang);
    int woken = 0;
    loop.SetHandler([&](const EventLoop::Events& events) { woken += events.woken ? 1 : 0; });
    std::uint64_t slept = 0;
    ASSERT_TRUE(gang.Add(loop, [&] {
        loop.Wake();
        const std::uint64_t start = loop.NowMs();
        loop.Sleep(200);
        slept = loop.NowMs() - start;
        loop.Pump();
    }));
    gang.Run();
    EXPECT_GE(slept, 200u);
    EXPECT_EQ(woken, 1);
}

} // namespace
} // namespace t8
