#include "tests/support/TempFolder.h"
#include "tools/JsonString.h"
#include "tools/t8batch/BatchOptions.h"
#include "tools/t8batch/EchoMatch.h"
#include "tools/t8batch/JunitReport.h"
#include "tools/t8batch/RecordFile.h"
#include "tools/t8batch/RunReport.h"
#include "tools/t8batch/RunWords.h"
#include "tools/t8batch/TappedPort.h"
#include "tools/t8batch/TextWatch.h"
#include "tools/t8batch/Transcript.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace t8 {
namespace {

using Args = std::vector<std::string>;

TEST(BatchOptionsTest, TheInterfaceAsDocumented) {
    const BatchOptions all = ParseBatchOptions(
        {"--port", "/dev/ttyUSB1", "--baud=9600", "--timeout", "0", "--fail-on", "ERR",
         "--fail-on=Fail", "--key", "fail", "--log", "/tmp/l", "--json", "--deadline", "600",
         "--record=/tmp/r.jsonl", "--junit", "/tmp/j.xml", "job.t8b"});
    EXPECT_EQ(all.error, "");
    EXPECT_EQ(all.port, "/dev/ttyUSB1");
    EXPECT_EQ(all.baud, 9600u);
    EXPECT_EQ(all.timeoutSeconds, 0);
    EXPECT_EQ(all.failOn, (Args{"ERR", "Fail"}));
    EXPECT_EQ(all.key, KeyMode::Fail);
    EXPECT_EQ(all.logPath, "/tmp/l");
    EXPECT_EQ(all.deadlineSeconds, 600);
    EXPECT_EQ(all.recordPath, "/tmp/r.jsonl");
    EXPECT_EQ(all.junitPath, "/tmp/j.xml");
    EXPECT_TRUE(all.json);
    EXPECT_FALSE(all.check);
    EXPECT_EQ(all.file, "job.t8b");

    const BatchOptions defaults = ParseBatchOptions({"--", "--odd.t8b"});
    EXPECT_EQ(defaults.file, "--odd.t8b");
    EXPECT_EQ(defaults.timeoutSeconds, BatchOptions::kDefaultTimeoutSeconds);
    EXPECT_FALSE(defaults.key) << "decided by whether standard input is a terminal";
    EXPECT_FALSE(defaults.baud);
    EXPECT_EQ(defaults.deadlineSeconds, 0) << "no bound unless asked";
    EXPECT_TRUE(ParseBatchOptions({"--help"}).error.empty());
    const BatchOptions doctor = ParseBatchOptions({"--check-port=ttyUSB0"});
    EXPECT_EQ(std::pair(doctor.error, doctor.checkPort),
              std::pair(std::string(), std::string("ttyUSB0")))
        << "no batch file needed";

    for (const Args& bad :
         {Args{}, Args{"a.t8b", "b.t8b"}, Args{"--baud", "12x", "a.t8b"},
          Args{"--baud", "0", "a.t8b"}, Args{"--baud", "4000001", "a.t8b"},
          Args{"--timeout", "-1", "a.t8b"}, Args{"--timeout", "86401", "a.t8b"},
          Args{"--key", "Wait", "a.t8b"}, Args{"--fail-on=", "a.t8b"}, Args{"--json=1", "a.t8b"},
          Args{"--port"}, Args{"-x", "a.t8b"}, Args{"--deadline", "0", "a.t8b"},
          Args{"--record=", "a.t8b"}, Args{"--junit", "", "a.t8b"}, Args{"--check-port="},
          Args{"--check-port", "/dev/ttyUSB0", "a.t8b"}}) {
        EXPECT_FALSE(ParseBatchOptions(bad).error.empty()) << (bad.empty() ? "" : bad[0]);
    }
}

TEST(BatchOptionsTest, StepTakesMillisecondsFromOneToAThousand) {
    EXPECT_EQ(ParseBatchOptions({"a.t8b"}).stepMs, 100) << "the window's pace unless asked";
    for (const auto& [arg, ms] :
         {std::pair<std::string, int>{"--step=1", 1}, {"--step=10", 10}, {"--step=1000", 1000}}) {
        const BatchOptions options = ParseBatchOptions({arg, "a.t8b"});
        EXPECT_EQ(options.error, "") << arg;
        EXPECT_EQ(options.stepMs, ms) << arg;
    }
    for (const char* bad : {"0", "1001", "-5", "10ms", ""}) {
        EXPECT_EQ(ParseBatchOptions({"--step", bad, "a.t8b"}).error,
                  "--step takes milliseconds from 1 to 1000")
            << bad;
    }
    EXPECT_EQ(ParseBatchOptions({"a.t8b", "--step"}).error, "--step needs a value");
}

TEST(TextWatchTest, FindsATextWhereverTheBlocksSplitIt) {
    const std::string stream = "xxERRORxx\r\nE"; // the texts end at 7 and at 12
    using Found = std::optional<std::size_t>;
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        TextWatch watch({"ERROR", "\r\nE"});
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());
        EXPECT_EQ(watch.Feed(bytes, split), split >= 7 ? Found(0) : std::nullopt) << split;
        EXPECT_EQ(watch.Feed(bytes + split, stream.size() - split), split < 7    ? Found(0)
                                                                    : split < 12 ? Found(1)
                                                                                 : std::nullopt)
            << split;
    }
    TextWatch overlapping({"aab"});
    EXPECT_TRUE(overlapping.Feed(reinterpret_cast<const std::uint8_t*>("aaab"), 4));
    TextWatch later({"abc", "bc"});
    const auto found = later.Feed(reinterpret_cast<const std::uint8_t*>("xbc"), 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(later.Text(*found), "bc");
    EXPECT_FALSE(TextWatch({""}).Feed(reinterpret_cast<const std::uint8_t*>("x"), 1))
        << "an empty text never matches";
    TextWatch broken({"ERROR"});
    EXPECT_FALSE(broken.Feed(reinterpret_cast<const std::uint8_t*>("ERR"), 3));
    broken.Reset(); // a receive's data came between
    EXPECT_FALSE(broken.Feed(reinterpret_cast<const std::uint8_t*>("OR"), 2));
}

// Keys typed one by one, the device's text after each (its echo, an answer, or nothing yet).
bool EchoInAfter(EchoMatch& echo, const std::vector<std::pair<char, std::string>>& steps) {
    for (const auto& [key, text] : steps) {
        echo.Typed(static_cast<std::uint8_t>(key));
        echo.Shown(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    return echo.EchoIn();
}

TEST(EchoMatchTest, InOnlyOnceTheLastKeysEchoIsShown) {
    EchoMatch echo;
    const std::string before = ">0F"; // the device's earlier text is no echo
    echo.Shown(reinterpret_cast<const std::uint8_t*>(before.data()), before.size());
    EXPECT_FALSE(EchoInAfter(echo, {{'S', "S"}, {'E', "E\r\nSend INTEL data range "}}));
    // Keys faster than the line: the echo lags, the answer's letters are no range.
    EXPECT_FALSE(EchoInAfter(echo, {{'0', ""}, {'F', "0"}, {',', ""}, {'1', "F,"}, {'F', ""}}));
    const std::string tail = "1F";
    echo.Shown(reinterpret_cast<const std::uint8_t*>(tail.data()), 1);
    EXPECT_FALSE(echo.EchoIn()) << "the 1 is in, not the F";
    echo.Shown(reinterpret_cast<const std::uint8_t*>(tail.data()) + 1, 1);
    EXPECT_TRUE(echo.EchoIn());
    EXPECT_FALSE(EchoInAfter(echo, {{'0', ""}})) << "a further key is still to come back";

    echo.Reset();
    EXPECT_FALSE(echo.EchoIn());
    EXPECT_FALSE(EchoInAfter(echo, {{'0', "x"}, {'1', "y"}})) << "a device that does not echo";
    echo.Reset();
    EXPECT_FALSE(EchoInAfter(echo, {{'0', "0"}, {'1', "1?"}})) << "more text after the echo";
    echo.Reset();
    EXPECT_TRUE(EchoInAfter(echo, {{'0', "00"}, {'1', "1"}}));
    echo.Shown(reinterpret_cast<const std::uint8_t*>("1"), 1);
    EXPECT_FALSE(echo.EchoIn()) << "each key echoed twice: the first copy of the last is no end";
    echo.Reset();
    // Keys faster than the line, and an answer that names the whole range before the echo.
    const std::string range = "00000,7FFFF";
    for (const char key : range) {
        echo.Typed(static_cast<std::uint8_t>(key));
    }
    const std::string answer = "(00000,7FFFF) ";
    echo.Shown(reinterpret_cast<const std::uint8_t*>(answer.data()), answer.size());
    for (const char c : range) {
        echo.Shown(reinterpret_cast<const std::uint8_t*>(&c), 1);
        EXPECT_FALSE(echo.EchoIn()) << "the answer's range is no echo; echo up to " << c;
    }
    echo.Reset();
    std::vector<std::pair<char, std::string>> many(EchoMatch::kMaxKeys + 1, {'7', "7"});
    EXPECT_FALSE(EchoInAfter(echo, many)) << "too many keys to follow: the quiet decides";
}

TEST(TranscriptTest, ControlBytesAreEscapedAndAFailedWriteIsKept) {
    EXPECT_EQ(Transcript::Escape("ab\r\n\t\\\x1b\x7f\xff>"), "ab\\r\\n\\t\\\\\\x1B\\x7F\\xFF>");

    test::TempFolder folder;
    const std::string path = folder.Path("log");
    {
        Transcript log(Transcript::Clock::now());
        std::string error;
        ASSERT_TRUE(log.Open(path, error));
        log.Header("t8batch 1.0, started");
        log.Note("line 1: T8 :");
        log.Close();
        log.Note("after the close");
        EXPECT_FALSE(log.Failed());
    }
    EXPECT_EQ(test::ReadFile(path).substr(0, 21), "t8batch 1.0, started\n");
    EXPECT_NE(test::ReadFile(path).find(" line 1: T8 :\n"), std::string::npos);
    EXPECT_EQ(test::ReadFile(path).find("after"), std::string::npos) << "nothing after the close";

    Transcript full(Transcript::Clock::now());
    std::string error;
    ASSERT_TRUE(full.Open("/dev/full", error));
    full.Note("lost");
    EXPECT_TRUE(full.Failed());
    EXPECT_EQ(full.Failure(), "No space left on device");

    const std::string fifo = folder.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Transcript unread(Transcript::Clock::now());
    EXPECT_FALSE(unread.Open(fifo, error)) << "refused at once, not waited on";
    EXPECT_EQ(error, "it is a FIFO that no program reads");
}

TEST(JsonStringTest, StrictUtf8WithEachBadByteReplaced) {
    const std::string kBad = "\xEF\xBF\xBD"; // U+FFFD
    using Case = std::pair<std::string, std::string>;
    for (const auto& [in, out] : {
             Case{"B\xc3\xa4r \xf0\x9f\x98\x80", "B\xc3\xa4r \xf0\x9f\x98\x80"}, // 2 and 4 bytes
             Case{"bad\xff\xfe.t8b", "bad" + kBad + kBad + ".t8b"},
             Case{"\xc0\x80", kBad + kBad},                       // overlong NUL
             Case{"\xe0\x80\xaf", kBad + kBad + kBad},            // overlong "/"
             Case{"\xed\xa0\x80", kBad + kBad + kBad},            // a surrogate
             Case{"\xf4\x90\x80\x80", kBad + kBad + kBad + kBad}, // above U+10FFFF
             Case{"\xe2\x82", kBad + kBad},                       // cut short
             Case{"\x80x", kBad + "x"},                           // a stray continuation
             Case{"\xef\xbf\xbf\xf4\x8f\xbf\xbf", "\xef\xbf\xbf\xf4\x8f\xbf\xbf"}, // the limits
         }) {
        EXPECT_EQ(JsonString(in), "\"" + out + "\"") << in;
        EXPECT_EQ(IsUtf8(in), in == out) << in;
    }
    EXPECT_EQ(JsonString("a\\b\"c\x01\x7f"), "\"a\\\\b\\\"c\\u0001\\u007F\"");
    EXPECT_EQ(JsonField("file", "ok"), "\"file\":\"ok\"");
    EXPECT_EQ(JsonField("file", "b\xe4r"), "\"file\":\"b" + kBad + "r\",\"fileHex\":\"62e472\"")
        << "the exact bytes are kept beside it";
}

TEST(RunReportTest, TheJsonKeysAndTheRecordLine) {
    RunReport report;
    report.file = "/jobs/a \"b\".t8b";
    report.result = RunResult::DeviceFailure;
    report.message = "the device sent \"ERR\"\n";
    report.lines = 7;
    report.elapsedMs = 1234;
    report.sent = {{"/p/a.hex", 103, true, "aa"}, {"/p/b.hex", 0, false, "bb"}};
    report.received = {{"/p/r.hex.partial", 55, "Download errors (SUM)!", true, "/p/r.hex", "cc"}};
    EXPECT_EQ(report.Json(),
              "{\"file\":\"/jobs/a \\\"b\\\".t8b\",\"result\":\"device-failure\",\"exitCode\":1,"
              "\"message\":\"the device sent \\\"ERR\\\"\\u000A\",\"lines\":7,\"elapsedMs\":1234,"
              "\"sent\":[{\"file\":\"/p/a.hex\",\"bytes\":103,\"completed\":true},{\"file\":"
              "\"/p/b.hex\",\"bytes\":0,\"completed\":false}],\"received\":[{\"file\":\"/p/"
              "r.hex.partial\",\"bytes\":55,\"check\":\"Download errors (SUM)!\",\"partial\":true,"
              "\"saved\":true,\"target\":\"/p/r.hex\"}]}");
    EXPECT_EQ(RunReport{}.Json(),
              "{\"file\":\"\",\"result\":\"ok\",\"exitCode\":0,\"message\":\"\","
              "\"lines\":0,\"elapsedMs\":0,\"sent\":[],\"received\":[]}");
    EXPECT_EQ(ExitCode(RunResult::UsageError), kUsageExit);

    report.startedUtc = "2026-12-07T17:29:32.123Z";
    report.station = "line4";
    report.fileSha256 = "dd";
    report.device = {"/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/serial/by-id/usb-X", "A123"};
    EXPECT_EQ(
        report.RecordJson("2.17.1"),
        "{\"time\":\"2026-12-07T17:29:32.123Z\",\"station\":\"line4\",\"version\":"
        "\"2.17.1\",\"port\":\"/dev/ttyUSB0\",\"device\":{\"node\":\"/dev/ttyUSB0\",\"byId\":"
        "\"/dev/serial/by-id/usb-X\",\"usbSerial\":\"A123\"},\"batch\":{\"file\":\"/jobs/a "
        "\\\"b\\\".t8b\",\"sha256\":\"dd\"},\"sent\":[{\"file\":\"/p/a.hex\",\"bytes\":103,"
        "\"completed\":true,\"sha256\":\"aa\"},{\"file\":\"/p/b.hex\",\"bytes\":0,"
        "\"completed\":false,\"sha256\":\"bb\"}],\"received\":[{\"file\":\"/p/r.hex.partial\","
        "\"bytes\":55,\"check\":\"Download errors (SUM)!\",\"partial\":true,\"saved\":true,"
        "\"target\":\"/p/"
        "r.hex\",\"sha256\":\"cc\"}],\"result\":\"device-failure\",\"exitCode\":1,\"message\":"
        "\"the device sent \\\"ERR\\\"\\u000A\",\"elapsedMs\":1234}");
}

// The window's texts speak of its buttons and menus; t8batch says the same in its own words.
TEST(RunWordsTest, NoDialogsAndNoMenus) {
    EXPECT_EQ(News("Cannot write the file /p/x.hex:\nNo space left on device\n\nThe received "
                   "data are kept: choose another name, or cancel to discard them."),
              "Cannot write the file /p/x.hex: No space left on device");
    EXPECT_EQ(OwnWords("Batch file executed successfully. Click OK.", KeyMode::Continue),
              "Batch file executed successfully.");
    EXPECT_EQ(
        OwnWords("Click OK to continue, click ABORT to stop executing batch file", KeyMode::Fail),
        "KEY: the run stops (--key fail)");
    EXPECT_EQ(OwnWords("Click OK to close dialog", KeyMode::Wait), "");
    EXPECT_EQ(OwnWords("Waiting for end of command", KeyMode::Wait), "Waiting for end of command");
    EXPECT_EQ(PortOpenFailure("/tmp/plain", LinkError::FromErrno(ENOTTY)),
              "cannot open the port /tmp/plain: it is not a serial device");
    EXPECT_EQ(PortOpenFailure("/dev/ttyUSB0", LinkError::FromErrno(EBUSY)),
              "cannot open the port /dev/ttyUSB0: another program is using it");
    EXPECT_EQ(PortOpenFailure("/dev/ttyUSB9", LinkError::FromErrno(ENOENT)),
              "cannot open the port /dev/ttyUSB9: No such file or directory");
    EXPECT_EQ(PortOpenFailure("", {LinkErrorKind::NoAddress, 0}),
              "cannot open the port: no device is mapped to the port number of the settings");
    EXPECT_EQ(PortOpenFailure("ftp://bench:4000", {LinkErrorKind::Unsupported, 0}),
              "cannot open the port ftp://bench:4000: addresses of the kind \"ftp://\" are not "
              "supported; name a serial device, such as /dev/ttyUSB0, or a network port, such as "
              "rfc2217://HOST:PORT");
    EXPECT_EQ(PortOpenFailure("/dev/ttyUSB0", LinkError::SettingsRefused(EINVAL)),
              "cannot open the port /dev/ttyUSB0: Invalid argument");
    EXPECT_EQ(PortOpenFailure("/no/such/folder/tty", LinkError::FromErrno(EACCES))
                  .rfind("cannot open the port /no/such/folder/tty: Permission denied. A folder "
                         "on the way to /no/such/folder/tty is closed to the user ",
                         0),
              0u);
}

// The tap wraps what the factory makes, and leaves an address no port serves to the link.
TEST(TappedPortsTest, WrapTheFactorysPortsAndPassOnNone) {
    Transcript transcript(Transcript::Clock::now());
    LineTap tap(transcript);
    const PortFactory tapped = TappedPorts(MakePort, tap);
    const auto port = tapped("/dev/ttyUSB0");
    ASSERT_NE(port, nullptr);
    EXPECT_NE(dynamic_cast<TappedPort*>(port.get()), nullptr);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_NE(tapped("tcp://bench:4000"), nullptr);
    EXPECT_EQ(tapped("ftp://bench:4000"), nullptr);
}

TEST(JunitReportTest, ACaseForEachStepAndTheFailureWhereItHappened) {
    RunReport report;
    report.file = "/jobs/burn.t8b";
    report.elapsedMs = 5000;
    report.steps = {{1, "PRINT <go> & \"see\"", 0, 10},
                    {2, "T8 CE:", 10, 1510},
                    {3, "tx image.hex RE:", 1510, 4000},
                    {4, "T8 \x01\xff:", 4000, 5000}};
    const std::string passed = JunitXml(report);
    EXPECT_NE(passed.find("tests=\"3\" failures=\"0\""), std::string::npos) << "not the PRINT";
    EXPECT_NE(passed.find("name=\"line 2: T8 CE:\" time=\"1.500\"/>"), std::string::npos);
    EXPECT_NE(passed.find("name=\"line 4: T8 \\x01\xef\xbf\xbd:\""), std::string::npos)
        << "no control character XML cannot hold, no byte that is not UTF-8";
    EXPECT_EQ(passed.find("<failure"), std::string::npos);

    report.result = RunResult::Timeout;
    report.message = "no prompt <within> 30 s";
    report.failingLine = 4;
    const std::string failed = JunitXml(report);
    EXPECT_NE(failed.find("failures=\"1\""), std::string::npos);
    EXPECT_NE(failed.find("time=\"1.000\">\n      <failure type=\"timeout\" message=\"no prompt "
                          "&lt;within&gt; 30 s\">"),
              std::string::npos);

    report.steps = {
        {1, "LABEL a", 0, 0}, {2, "T8 :", 0, 100}, {3, "JUMP a", 100, 110}, {2, "T8 :", 110, 900}};
    report.failingLine = 2; // the JUMP ran line 2 again: the second time failed
    const std::string again = JunitXml(report);
    EXPECT_EQ(again.find("<failure"), again.rfind("<failure")) << "one failure";
    EXPECT_NE(again.find("time=\"0.790\">\n      <failure"), std::string::npos)
        << "on the run that failed";

    report.steps = {{1, "PRINT starting", 0, 10}};
    report.failingLine = 0;
    report.result = RunResult::PortError;
    EXPECT_NE(JunitXml(report).find("name=\"t8batch run\" time=\"5.000\">"), std::string::npos)
        << "a failure outside any step is a case of its own";
    EXPECT_EQ(XmlText("a&b<c>\"d\"\n"), "a&amp;b&lt;c&gt;&quot;d&quot;&#10;");
    EXPECT_EQ(XmlText("\xEF\xBF\xBE\xEF\xBF\xBF"), "\xEF\xBF\xBD\xEF\xBF\xBD")
        << "UTF-8 has U+FFFE and U+FFFF, XML does not";
}

TEST(RecordFileTest, EveryLineWholeWhateverShareTheFile) {
    test::TempFolder folder;
    const std::string path = folder.Path("parts.jsonl");
    {
        std::ofstream(path) << "{\"cut\":"; // a process died half-way through its line
    }
    constexpr int kWriters = 4;
    constexpr int kLines = 50;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const std::string line = "{\"writer\":" + std::to_string(writer) + ",\"pad\":\"" +
                                     std::string(3000, 'x') + "\"}";
            for (int i = 0; i < kLines; ++i) {
                if (!AppendRecord(path, line).empty()) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::istringstream lines(test::ReadFile(path));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "{\"cut\":") << "the unfinished line is ended, not joined to the next";
    int whole = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.size(), 3021u);
        EXPECT_EQ(line.back(), '}');
        ++whole;
    }
    EXPECT_EQ(whole, kWriters * kLines);

    EXPECT_EQ(AppendRecord(folder.Path(""), "{}"), "Is a directory");
    const std::string fifo = folder.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(AppendRecord(fifo, "{}"), "it is not a regular file") << "and never waited on";
    EXPECT_EQ(AppendRecord("/dev/null", "{}"), "it is not a regular file");
}

} // namespace
} // namespace t8
