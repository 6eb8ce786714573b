#include "sim/app/SimOptions.h"
#include "sim/pty/OutputPacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace t8::sim {
namespace {

OptionsResult Parse(std::vector<std::string_view> args) {
    return ParseSimOptions(args);
}

TEST(OptionsTest, ValuesInBothSpellingsReachDeviceAndServer) {
    const OptionsResult result =
        Parse({"--format", "tek-extended", "--baud=9600", "--line-rate", "auto", "--xoff",
               "--hangup-after", "100", "--corrupt-record=3", "--quiet-gap", "250",
               "--ignore-line-settings", "--link", "/tmp/t8", "--save", "ram.bin",
               "--hangup-after-sent=70", "--return-after", "2.5"});
    ASSERT_EQ(result.error, "");
    const SimOptions& o = result.options;
    EXPECT_EQ(o.device.format, Format::TekExtended);
    EXPECT_EQ(o.device.baudRate, 9600U);
    EXPECT_TRUE(o.server.lineRateAuto);
    EXPECT_TRUE(o.device.xoff);
    EXPECT_EQ(o.device.processRate, kDefaultXoffRate);
    EXPECT_EQ(o.server.hangupAfter, 100U);
    EXPECT_EQ(o.server.hangupAfterSent, 70U);
    EXPECT_EQ(o.server.returnAfterMs, 2500U);
    EXPECT_EQ(o.device.corruptRecord, 3U);
    EXPECT_EQ(o.device.quietGapMs, 250U);
    EXPECT_FALSE(o.device.checkLine);
    EXPECT_EQ(o.server.linkPath, "/tmp/t8");
    EXPECT_EQ(o.savePath, "ram.bin");
}

TEST(OptionsTest, BadCommandLinesSayWhy) {
    EXPECT_NE(Parse({"--baud", "57600"}).error.find("BA menu"), std::string::npos);
    EXPECT_NE(Parse({"--format", "HEX"}).error.find("--format"), std::string::npos);
    EXPECT_NE(Parse({"--quiet-gap", "1s"}).error.find("needs a number"), std::string::npos);
    EXPECT_NE(Parse({"--link"}).error.find("needs a value"), std::string::npos);
    EXPECT_NE(Parse({"--silent=1"}).error.find("takes no value"), std::string::npos);
    EXPECT_NE(Parse({"--fast"}).error.find("unknown option"), std::string::npos);
    for (const char* seconds : {"0", "-1", "2s", "nan", "86401"}) {
        EXPECT_NE(Parse({"--return-after", seconds}).error.find("--return-after needs seconds"),
                  std::string::npos)
            << seconds;
    }
}

TEST(OptionsTest, HelpNamesEveryOption) {
    const std::string help = HelpText();
    for (const char* name :
         {"--format", "--baud", "--link", "--line-rate", "--xoff", "--process-rate",
          "--xoff-backlog", "--hangup-after", "--corrupt-record", "--silent", "--quiet-gap",
          "--load", "--save", "--ignore-line-settings", "--verbose", "--help", "--version",
          "--hangup-after-sent", "--return-after"}) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
        const std::string withValue = std::string(name) + "=1";
        EXPECT_EQ(Parse({withValue}).error.find("unknown option"), std::string::npos) << name;
    }
}

TEST(OutputPacerTest, ReleasesTenthOfTheRatePerSecondWithSmallBursts) {
    OutputPacer pacer;
    pacer.SetBaud(9600); // 960 bytes a second
    std::size_t sent = pacer.Allowance(0);
    EXPECT_EQ(sent, 1U);
    pacer.Spent(sent);
    EXPECT_GT(pacer.WaitMs(), 0U);
    for (std::uint64_t ms = 1; ms <= 1000; ++ms) {
        const std::size_t now = pacer.Allowance(ms);
        pacer.Spent(now);
        sent += now;
    }
    EXPECT_NEAR(static_cast<double>(sent), 961.0, 2.0);
    // a long pause saves up no more than a short burst
    EXPECT_LE(pacer.Allowance(60000), 960U * OutputPacer::kBurstMs / 1000 + 1);
    pacer.SetBaud(0);
    EXPECT_EQ(pacer.WaitMs(), 0U);
}

} // namespace
} // namespace t8::sim
