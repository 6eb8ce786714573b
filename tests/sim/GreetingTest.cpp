// When the device shows its power-on prompt, and when it needs its clock ticked.
#include "tests/sim/DeviceHarness.h"

#include "sim/pty/PowerOnGreeting.h"

#include <gtest/gtest.h>

namespace t8::sim::test {
namespace {

constexpr std::uint64_t kOpen = 5000;

// The greeting after the host's open and purge, and once more after a purge that swallowed it,
// are met over the pty by PtyTest and the host's ReconnectPtyTest; these are the other timings.
TEST(GreetingTest, APurgeAloneOrLateDelaysItAndOneLongAfterIsTheHostsOwn) {
    PowerOnGreeting late;
    late.HostOpened(kOpen);
    late.HostPurged(kOpen + 95); // a loaded host configures late
    EXPECT_EQ(late.DueMs(), kOpen + 95 + PowerOnGreeting::kAfterPurgeMs);

    PowerOnGreeting settled;
    settled.HostOpened(kOpen);
    settled.Said(kOpen + 100);
    settled.HostPurged(kOpen + 100 + PowerOnGreeting::kSwallowedWithinMs + 1);
    EXPECT_FALSE(settled.DueMs()); // the settings dialog's reopen, say
    settled.HostOpened(kOpen + 5000);
    EXPECT_FALSE(settled.DueMs()) << "a reopen does not switch the device on again";

    PowerOnGreeting unwatched; // without a watch on opens the purge at open tells
    unwatched.HostPurged(kOpen);
    EXPECT_EQ(unwatched.DueMs(), kOpen + PowerOnGreeting::kAfterPurgeMs);
}

TEST(GreetingTest, AHostThatTalksFirstGetsItsAnswerInstead) {
    PowerOnGreeting greeting;
    greeting.HostOpened(kOpen);
    greeting.HostSpoke();
    EXPECT_FALSE(greeting.DueMs());
    greeting.HostPurged(kOpen + 10);
    greeting.HostOpened(kOpen + 20);
    EXPECT_FALSE(greeting.DueMs());

    PowerOnGreeting afterPrompt; // typing after the prompt leaves a later purge alone
    afterPrompt.HostOpened(kOpen);
    afterPrompt.Said(kOpen + 100);
    afterPrompt.HostSpoke();
    afterPrompt.HostPurged(kOpen + 200);
    EXPECT_FALSE(afterPrompt.DueMs());
}

TEST(GreetingTest, DeviceGreetsOnlyAtRest) {
    DeviceHarness sim;
    EXPECT_EQ(sim.Greet(), "\r\n>");
    EXPECT_EQ(sim.Type("C"), "C");
    EXPECT_EQ(sim.Greet(), std::nullopt) << "half a command typed";
    sim.Type("H");
    EXPECT_EQ(sim.Greet(), std::nullopt) << "in a dialogue";
    sim.Type("\x1b");
    EXPECT_EQ(sim.Greet(), "\r\n>");
    sim.GetDevice().SetHostLine({9600, 8, 'N', 1});
    EXPECT_EQ(sim.Greet(), "") << "said, but lost at the wrong rate";

    DeviceOptions silent;
    silent.silent = true;
    DeviceHarness mute(silent);
    EXPECT_EQ(mute.Greet(), std::nullopt);
}

TEST(GreetingTest, DeviceNeedsTicksOnlyForItsOwnDeadlines) {
    DeviceHarness records;
    EXPECT_FALSE(records.GetDevice().NextTickMs()) << "at the prompt";
    records.Type("RE\r");
    EXPECT_FALSE(records.GetDevice().NextTickMs()) << "records wait for their first byte";

    DeviceOptions options;
    options.format = Format::Binary;
    options.quietGapMs = 700;
    DeviceHarness sim(options); // its clock starts at 1000
    sim.Type("RE");
    EXPECT_FALSE(sim.GetDevice().NextTickMs()) << "waiting for the load address";
    sim.Type("0\r");
    EXPECT_EQ(sim.GetDevice().NextTickMs(), 1000U + 700U) << "a quiet gap from ENTER on";
    sim.Advance(500);
    sim.Send("abc");
    EXPECT_EQ(sim.GetDevice().NextTickMs(), 1500U + 700U);
    EXPECT_EQ(sim.Advance(699), "");
    EXPECT_NE(sim.Advance(1).find("Received 3 bytes"), std::string::npos);
    EXPECT_FALSE(sim.GetDevice().NextTickMs());

    DeviceOptions paced = options;
    paced.processRate = 1000;
    DeviceHarness slow(paced);
    slow.Type("RE0\r");
    slow.Send("abcdef");
    EXPECT_EQ(slow.GetDevice().NextTickMs(), 1000U + Device::kBacklogSliceMs);
}

} // namespace
} // namespace t8::sim::test
