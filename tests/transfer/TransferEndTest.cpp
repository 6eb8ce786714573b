// How transfers end when the line or the device does not play along: a hang-up, silence before
// the end, flow-control bytes in a receive's data, and the local echo around every prompt.
#include "tests/transfer/TransferFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace t8::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kStatusPrompt = std::string("prompt ") + kAddressPromptText;

TEST_F(TransferTest, AHangUpEndsEverySendAtOnceAndTheProgramGoesOn) {
    TTYInfo& tty = *rig.link.Record();
    tty.com.comLocalEcho = 1;
    const std::string file = rig.MakeFile("a.hex", std::string(20000, 'D'));
    rig.ui.answers = {file, file};
    for (const bool eeprom : {false, true}) {
        SCOPED_TRACE(eeprom ? "F6" : "F8");
        state.written.clear();
        rig.linkUi.messages.clear();
        eeprom ? rig.transfers->DownloadEepromCommand() : rig.transfers->SendFileCommand();
        rig.Shown("Receive INTEL data");
        const int ticksBefore = rig.ui.ticks;
        rig.ui.beforeTick = [&](int tick) {
            if (tick == 2) {
                HangUp();
            }
        };
        rig.transfers->OnTransferTimer();
        EXPECT_EQ(rig.ui.ticks - ticksBefore, 3) << "the tick after the hang-up ends the dialog";
        EXPECT_TRUE(state.written == (eeprom ? "RX\r" : "RE\r") + std::string(8192, 'D'))
            << "nothing is written after the hang-up, no escapes either";
        // told without a box, the link's timer stopped, keys refused: ReconnectPtyTest
        EXPECT_THAT(rig.screenText,
                    HasSubstr("hung up; waiting for it to come back]\r\n[The send of a.hex was "
                              "stopped after 8192 of 20000 bytes.]\r\n"));
        EXPECT_FALSE(rig.ui.timerRunning) << "the view's timer stays stopped, as after a close";
        EXPECT_EQ(tty.line.echoActive, 1u);
        rig.transfers->OnTransferTimer();
        Reconnect();
    }
}

TEST_F(TransferTest, AHangUpAtAnArmedPromptDisarmsIt) {
    TTYInfo& tty = *rig.link.Record();
    tty.com.comLocalEcho = 1;
    rig.transfers->SendNamedFile(rig.MakeFile("a.hex", "x"));
    HangUp();
    EXPECT_EQ(tty.transfer.addressPromptActive | tty.transfer.sendPending, 0u);
    EXPECT_EQ(tty.line.echoActive, 1u);
    Reconnect();
    rig.transfers->ReceiveFileCommand();
    HangUp();
    EXPECT_EQ(tty.transfer.addressPromptActive | tty.transfer.receiveActive, 0u);
    EXPECT_EQ(tty.line.echoActive, 1u);
}

TEST_F(TransferTest, AHangUpDuringAReceiveKeepsWhatArrivedAndOffersToSaveIt) {
    const std::string target = rig.folder + "/cut.bin";
    rig.ui.answers = {target};
    rig.transfers->UploadEepromCommand();
    rig.Shown("\r\nSend BINARY data range 00000,000FF");
    rig.ui.beforeTick = [&](int tick) {
        if (tick == 0) {
            rig.Shown("\r\nabc");
        } else if (tick == 1) {
            HangUp();
        }
    };
    rig.Type("\r");
    EXPECT_EQ(ReadFile(target), "abc");
    EXPECT_EQ(rig.ui.ticks, 2) << "the dialog ends with the line";
    EXPECT_EQ(state.written, "SX\r") << "no pause and no closing carriage return";
    EXPECT_THAT(rig.ui.log,
                ElementsAre(kStatusPrompt,
                            "3 bytes|Receive BINARY format.|The connection was lost before the "
                            "end.",
                            "save " + rig.folder + "/*.hex", "examine " + target));
    EXPECT_TRUE(rig.linkUi.messages.empty()) << "told once, with the hang-up, without a box";
    EXPECT_THAT(rig.screenText,
                HasSubstr("hung up; waiting for it to come back]\r\n[The receive was "
                          "stopped after 3 bytes; they are kept for saving.]\r\n"));
    EXPECT_EQ(rig.link.flags.displayHeld, 0u);
}

TEST_F(TransferTest, AReceiveEndedBySilenceIsSavedAndSaidToBeIncomplete) {
    rig.ui.answers = {rig.folder + "/cut.hex", rig.folder + "/open.bin"};
    rig.transfers->ReceiveFileCommand();
    rig.Shown("\r\nSend INTEL data range 00000,000FF");
    rig.ui.beforeTick = [&](int tick) {
        if (tick == 0) {
            rig.Shown("\r\n:10000000");
        }
    };
    rig.Type("\r");
    EXPECT_EQ(ReadFile(rig.folder + "/cut.hex"), ":10000000");
    EXPECT_EQ(rig.ui.ticks, UploadProgress::kSilentTicksToClose);
    ASSERT_EQ(rig.ui.log.size(), 5u);
    EXPECT_THAT(rig.ui.log[1], HasSubstr("The device stopped sending before the end."));
    EXPECT_THAT(rig.ui.log[1], HasSubstr("Download errors !")) << "the open record is an error";
    EXPECT_THAT(rig.ui.log[2], StartsWith("message The device stopped sending before the end of "
                                          "the data.\nThe 9 bytes received are kept"));

    // Binary without a range ends only by silence: nothing to complain about.
    rig.ui.log.clear();
    rig.ui.beforeTick = [&](int tick) {
        if (tick == 0) {
            rig.Shown("\r\nabc");
        }
    };
    rig.transfers->ReceiveFileCommand();
    rig.Shown("\r\nSend BINARY data");
    rig.Type("\r");
    EXPECT_EQ(ReadFile(rig.folder + "/open.bin"), "abc");
    EXPECT_THAT(rig.ui.log, ElementsAre(kStatusPrompt, "3 bytes|Receive BINARY format.|No errors.",
                                        "save " + rig.folder + "/*.hex",
                                        "examine " + rig.folder + "/open.bin"));
}

// A batch names its file before the data come: a cut read-back must not replace a good one.
TEST_F(TransferTest, ABatchReceiveCutShortLeavesItsFileAndKeepsTheDataBesideIt) {
    const std::string target = rig.MakeFile("back.hex", "GOOD\r\n");
    const std::string records = ":0400000041424344F2\r\n:0400040045464748DE\r\n";
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "the host stops it" : "the line goes away");
        rig.ui.log.clear();
        state.written.clear();
        rig.transfers->PrepareBatchReceive(target);
        rig.Shown("SE00000,0000F\r\nSend INTEL data range 00000,0000F");
        rig.ui.beforeTick = [&](int tick) {
            if (tick == 0) {
                rig.Shown("\r\n" + records); // whole records, and no end record yet
            } else if (tick == 1 && stopped) {
                rig.ui.upload->Stop();
            } else if (tick == 1) {
                HangUp();
            }
        };
        rig.Type("\r");
        EXPECT_EQ(ReadFile(target), "GOOD\r\n");
        EXPECT_EQ(ReadFile(target + ".partial"), records);
        EXPECT_EQ(rig.transfers->Receiver().SavedPath(), target + ".partial");
        EXPECT_TRUE(rig.transfers->Receiver().SavedPartial());
        EXPECT_EQ(state.written, "\r") << "nothing more to the device: no closing return";
        ASSERT_GE(rig.ui.log.size(), 2u);
        EXPECT_EQ(rig.ui.log[0], "42 bytes|Receive INTELHEX format.|" +
                                     std::string(stopped ? UploadProgress::kHaltedEarly
                                                         : UploadProgress::kLostEarly))
            << "never \"No errors.\" for a stream cut between its records";
        const std::string kept = "The 42 bytes received are kept in " + target + ".partial; " +
                                 target + " is left as it was.";
        EXPECT_EQ(rig.ui.log[1],
                  "message " +
                      (stopped ? "The receive was stopped before the end of the data.\n"
                               : std::string()) +
                      kept)
            << "after a hang-up its line has told the rest";
        Reconnect();
    }
}

TEST_F(TransferTest, EveryTransferPromptSwitchesLocalEchoOffAndPutsItBack) {
    TTYInfo& tty = *rig.link.Record();
    tty.com.comLocalEcho = tty.line.echoActive = 1;
    rig.ui.answers = {rig.folder + "/r.bin"};
    rig.transfers->ReceiveFileCommand();
    rig.Shown("\r\nSend BINARY data range ");
    for (const char key : std::string("00000,00003")) {
        rig.Type(std::string(1, key));
        rig.Shown(std::string(1, key)); // the device's own echo
    }
    EXPECT_EQ(rig.transfers->Fields().prompt.Text(), "Send BINARY data range 00000,00003");
    rig.ui.beforeTick = [&](int) { rig.Shown("\r\nWXYZ"); };
    rig.Type("\r");
    EXPECT_EQ(ReadFile(rig.folder + "/r.bin"), "WXYZ");
    EXPECT_EQ(tty.line.echoActive, 1u) << "back after the receive";

    const std::string file = rig.MakeFile("s.bin", "s");
    const std::function<void()> arms[] = {
        [&] { rig.transfers->SendNamedFile(file); },
        [&] { rig.transfers->UploadEepromCommand(); },
        [&] { rig.transfers->PrepareBatchReceive(rig.folder + "/batch.bin"); },
    };
    for (std::size_t i = 0; i < std::size(arms); ++i) {
        arms[i]();
        EXPECT_EQ(tty.line.echoActive, 0u) << i;
        rig.Type("\x1b");
        EXPECT_EQ(tty.line.echoActive, 1u) << "Esc puts it back " << i;
    }
}

TEST_F(TransferTest, XoffInAReceivesDataDoesNotHoldOurOutput) {
    rig.link.Record()->com.flowCtrl = kFlowXonXoff;
    Reconnect();
    state.suspends.clear();
    rig.ui.answers = {rig.folder + "/x.bin"};
    rig.transfers->ReceiveFileCommand();
    Deliver("\r\nSend BINARY data range 00000,00003");
    rig.ui.beforeTick = [&](int) { Deliver("\r\n\x13\x13\x13\x13"); };
    rig.Type("\r");
    EXPECT_EQ(ReadFile(rig.folder + "/x.bin"), "\x13\x13\x13\x13");
    EXPECT_THAT(state.suspends, ::testing::Not(::testing::Contains(true)));

    Deliver("\x13"); // the terminal again: the device's XOFF holds us
    EXPECT_THAT(state.suspends, ::testing::Contains(true));
}

} // namespace
} // namespace t8::test
