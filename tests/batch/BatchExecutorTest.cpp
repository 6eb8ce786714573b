#include "tests/transfer/TransferHarness.h"

#include "batch/BatchExecutor.h"
#include "batch/BatchPacer.h"

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>

namespace t8::test {
namespace {

using Log = std::vector<std::string>;

// What the dialog would show, one entry a refresh: "message|status".
struct RecordingDisplay : BatchDisplay {
    void ShowTexts(const BatchTexts& texts) override {
        shown.push_back(texts.message + "|" + texts.status);
    }
    void LineStarted(std::size_t number, const std::string& line) override {
        lines.push_back(std::to_string(number) + ":" + line);
    }
    Log shown;
    Log lines;
};

// The executor on the real transfers and keypad over a fake port. The port's record gets a
// "|" after every tick, so a test reads which bytes went out on which tick.
class BatchExecutorTest : public ::testing::Test {
protected:
    BatchExecutorTest()
        : rig([this](const std::string&) { return std::make_unique<FakePort>(state); }) {
        rig.link.Record()->com.devicePath = "/dev/fake";
        rig.link.OpenPort();
        rig.ui.trace = &state.written;
        batch.emplace(*rig.transfers, display);
    }
    // A new run of `text`, the trace and the display cleared.
    void Run(const std::string& text) {
        state.written.clear();
        display.shown.clear();
        batch.emplace(*rig.transfers, display);
        batch->OpenText(text, rig.folder + "/job.t8b");
    }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            batch->Tick();
            state.written += '|';
        }
    }
    void Prompt() { rig.Shown("\r\n>"); }

    FakePort::State state;
    TransferRig rig;
    RecordingDisplay display;
    std::optional<BatchExecutor> batch;
};

TEST_F(BatchExecutorTest, KeysGoOutOnePerTickAndT8WaitsForThePrompt) {
    Run("t8 bu:\r\nCMD ;\r\nT8 a>b\r\nPRINT  \tdone here\r\n");
    Tick(4);
    EXPECT_EQ(state.written, "|b|u|\r|") << "read, then one key a tick";
    EXPECT_TRUE(batch->WaitingForPrompt());
    EXPECT_EQ(display.shown, Log{"|Waiting for end of command"});
    Tick(3);
    EXPECT_EQ(state.written, "|b|u|\r||||") << "no prompt: still waiting";
    Prompt();
    Tick(6);
    EXPECT_EQ(state.written, "|b|u|\r|||||\x1b||a| |b|") << "CMD goes on at once";
    Tick(); // the wait starts
    Prompt();
    Tick();
    EXPECT_EQ(display.shown.back(), "done here\r\n|") << "PRINT keeps the line end";
    Tick();
    EXPECT_EQ(display.shown.back(), std::string(BatchExecutor::kSuccessText) + "|");
    EXPECT_EQ(batch->End(), BatchEnd::Completed);
    EXPECT_EQ(batch->LinesExecuted(), 4u);
    EXPECT_EQ(display.lines.front(), "1:t8 bu:\r\n");
    EXPECT_TRUE(batch->Ok()) << "OK closes a finished run";
}

// A wait ends on a prompt shown after it began, on one the view's timer finds at the start of
// the cursor row, or on OK.
TEST_F(BatchExecutorTest, AWaitEndsByALaterPromptTheCursorRowOrOk) {
    Run("T8 xy\r\nCMD z\r\n");
    Tick();
    Prompt(); // an old prompt, shown while the line settles
    Tick();
    Prompt(); // one the device shows while the keys go out
    Tick(2);
    EXPECT_TRUE(batch->WaitingForPrompt()) << "the flag is cleared as the wait starts";
    Prompt();
    Tick(2);
    EXPECT_EQ(state.written, "|x|y|||z|");

    Run("T8 a\r\nCMD b\r\n");
    Tick(2);
    Prompt(); // arrives, then the wait starts and clears the flag
    Tick(2);
    EXPECT_TRUE(batch->WaitingForPrompt());
    rig.transfers->OnTransferTimer(); // the view's timer finds ">" in column 0
    Tick(2);
    EXPECT_EQ(state.written, "|a||||b|");

    Run("T8 a\r\nCMD b\r\n");
    Tick(4);
    EXPECT_FALSE(batch->Ok());
    Tick(2);
    EXPECT_EQ(state.written, "|a||||b|");
}

TEST_F(BatchExecutorTest, LineEndsOfEveryKindAndTheEmptyFile) {
    Run("");
    Tick();
    EXPECT_EQ(batch->MessageLine(), BatchExecutor::kSuccessText) << "at the first tick";

    Run("CMD a\rCMD b\nCMD c\r");
    Tick(8);
    EXPECT_EQ(state.written, "|a||b||c|||") << "each line once, the last one's CR ends the file";
    EXPECT_EQ(batch->End(), BatchEnd::Completed);
    EXPECT_EQ(batch->LinesExecuted(), 3u);
}

TEST_F(BatchExecutorTest, RefusedLinesStopTheRunWithTheLineShown) {
    const std::string longWord(44, 'w');
    for (const auto& [script, status] :
         {std::pair<std::string, const char*>{"CMD a\r\nPRINT \"oops\r\nCMD b\r\n",
                                              BatchExecutor::kMissingQuoteText},
          {"CMD a\r\nT8 " + longWord + "\r\n", BatchExecutor::kLongWordText},
          {"CMD a\r\nLABEL " + std::string(32, 'n') + "\r\n", BatchExecutor::kLongLabelText},
          {"CMD a\r\n" + std::string(256, 'x') + "\r\n", BatchExecutor::kLongLineText}}) {
        Run(script);
        Tick(6);
        EXPECT_EQ(state.written, "|a|||||") << status;
        EXPECT_EQ(batch->StatusLine(), status);
        EXPECT_EQ(batch->End(), BatchEnd::ScriptError);
        EXPECT_TRUE(batch->Finished());
        EXPECT_EQ(display.shown.size(), 1u);
        EXPECT_EQ(batch->MessageLine().substr(0, 3), script.substr(7, 3)) << "the line as read";
    }
}

TEST_F(BatchExecutorTest, LabelsJumpsAndTheirFaults) {
    Run("LABEL Start\r\nCMD x\r\nLABEL start\r\nJUMP START\r\n");
    Tick(12);
    EXPECT_EQ(state.written, "||x||||x||||x||") << "repeats from the first definition";
    EXPECT_EQ(batch->LineNumber(), 3u);

    const std::string longest(BatchLabel::kMaxNameChars, 'L'); // the longest name there may be
    Run("LABEL " + longest + "\r\nCMD y\r\nJUMP " + longest + "\r\n");
    Tick(8);
    EXPECT_EQ(state.written, "||y|||y|||") << "accepted, and jumped to";
    EXPECT_EQ(batch->End(), BatchEnd::Running);

    Run("JUMP later\r\nLABEL later\r\n");
    Tick();
    EXPECT_EQ(batch->StatusLine(), BatchExecutor::kLabelNotFoundText);
    EXPECT_EQ(batch->End(), BatchEnd::LabelNotFound);
    EXPECT_FALSE(batch->Running());
    EXPECT_TRUE(batch->Ok());
}

TEST_F(BatchExecutorTest, KeyPausesAndAbortLetsOkClose) {
    Run("KEY\r\nT8 a\r\nCMD b\r\n");
    Tick(3);
    EXPECT_TRUE(batch->Paused());
    EXPECT_EQ(batch->StatusLine(), BatchExecutor::kKeyText);
    EXPECT_EQ(state.written, "|||");
    EXPECT_FALSE(batch->Ok()) << "OK goes on";
    EXPECT_EQ(display.shown.back(), "|") << "and the pause's words go";
    Tick(3);
    EXPECT_TRUE(batch->WaitingForPrompt());
    batch->Abort();
    EXPECT_EQ(display.shown.back(), "|Click OK to close dialog");
    Prompt();
    Tick(2);
    EXPECT_EQ(state.written, "||||a|||b|") << "stepping goes on after Abort";
    EXPECT_TRUE(batch->Ok());
}

TEST_F(BatchExecutorTest, ALineWithoutKeysTypesNothing) {
    rig.MakeFile("p.hex", "PAYLOAD");
    Run("T8\r\nTX p.hex\r\n");
    Tick(3);
    EXPECT_EQ(state.written, "|||") << "no zero byte";
    Prompt();
    Tick(2);
    EXPECT_EQ(state.written, "||||PAYLOAD|");
}

TEST_F(BatchExecutorTest, TxTypesItsKeysThenSendsTheFileBesideTheBatchThenWaits) {
    rig.MakeFile("part.hex", ":00000001FF\r\n");
    Run("TX part.hex RE:\r\nTX missing.hex\r\nCMD z\r\n");
    Tick(4);
    EXPECT_EQ(state.written, "|R|E|\r:00000001FF\r\n|");
    EXPECT_EQ(rig.ui.ticks, 1 + DownloadStream::kIdleTicksToClose);
    EXPECT_TRUE(batch->WaitingForPrompt());
    ASSERT_FALSE(display.shown.empty());
    EXPECT_EQ(display.shown.back(), "|Waiting for end of command") << "the wait is shown";
    Prompt();
    Tick(2);
    EXPECT_EQ(rig.ui.log, Log{std::string("message ") + kOpenFileError + "\nFile: missing.hex" +
                              "\nFolder: " + rig.folder});
    EXPECT_TRUE(batch->WaitingForPrompt()) << "the batch goes on waiting";
    Prompt();
    Tick(2);
    EXPECT_EQ(state.written, "|R|E|\r:00000001FF\r\n||||z|");
}

TEST_F(BatchExecutorTest, RxArmsTheReceiveAndItsTicksWaitForTheTransfer) {
    Run("RX \"out RX.hex\"  SE00100,00103:\r\nCMD q\r\n");
    Tick();
    EXPECT_TRUE(rig.link.Record()->transfer.addressPromptActive);
    const std::string record = ":0400000041424344F2\r\n";
    rig.ui.beforeTick = [&](int tick) {
        batch->Tick(); // the dialog's timer keeps firing during the receive
        if (tick == 0) {
            rig.Shown("\r\n" + record + ">");
        }
    };
    rig.Shown("Send INTEL data range ");
    Tick(16);
    EXPECT_EQ(ReadFile(rig.folder + "/out RX.hex"), record);
    EXPECT_EQ(state.written, "|S|E|0|0|1|0|0|,|0|0|1|0|3|\r<100>\r<100>|\r|\n|")
        << "no quote typed, nothing during the receive, the line end after it";
    EXPECT_EQ(rig.ui.log, Log{"21 bytes|Receive INTELHEX format.|No errors."})
        << "no save dialog, no examine";
    Tick(); // the wait starts
    Prompt();
    Tick(2);
    EXPECT_EQ(state.written.substr(state.written.size() - 3), "|q|");
}

TEST_F(BatchExecutorTest, AFileThatCannotBeOpenedIsReportedAndOkCloses) {
    EXPECT_FALSE(batch->Open(rig.folder + "/none.t8b"));
    EXPECT_EQ(display.shown, Log{"Cannot open the batch file " + rig.folder +
                                 "/none.t8b: No such file or directory.|Click OK to close dialog"});
    Tick(2);
    EXPECT_EQ(batch->End(), BatchEnd::OpenFailed);
    EXPECT_TRUE(batch->Ok());
}

TEST_F(BatchExecutorTest, F12ChoosesInTheBatchDirectoryAndSendFileRawChecksTheFile) {
    rig.dirs.batchDirectory = rig.folder + "/jobs";
    rig.ui.answers = {std::nullopt, rig.folder + "/jobs/Run.T8B"};
    rig.transfers->ExecuteBatchCommand();
    rig.transfers->ExecuteBatchCommand();
    EXPECT_EQ(rig.ui.log,
              (Log{"open " + rig.folder + "/jobs/*.t8b", "open " + rig.folder + "/jobs/*.t8b",
                   "batch " + rig.folder + "/jobs/Run.T8B"}));

    rig.ui.log.clear();
    const RawSendResult empty = rig.transfers->SendFileRaw(rig.MakeFile("empty.hex", ""));
    EXPECT_EQ(empty.outcome, RawSendOutcome::FileError);
    EXPECT_EQ(rig.ui.log, Log{std::string("message ") + kOpenFileError +
                              "\nFile: empty.hex\nFolder: " + rig.folder});
    const std::string fifo = rig.folder + "/fifo.hex";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& special : {rig.folder, fifo}) {
        EXPECT_EQ(rig.transfers->SendFileRaw(special).outcome, RawSendOutcome::FileError)
            << special << ": a folder sends nothing, a FIFO is never waited on";
    }
    const RawSendResult sent = rig.transfers->SendFileRaw(rig.MakeFile("p.hex", "PAYLOAD"));
    EXPECT_EQ(sent.outcome, RawSendOutcome::Sent);
    EXPECT_EQ(sent.bytes, 7u);
    EXPECT_TRUE(sent.completed);
    rig.link.ClosePort();
    EXPECT_EQ(rig.transfers->SendFileRaw(rig.folder + "/p.hex").outcome, RawSendOutcome::PortError);
    EXPECT_EQ(state.written, "PAYLOAD") << "the file as it is, nothing before or after it";

    rig.ui.log.clear();
    rig.doc.OnOpenDocument("/jobs/dropped.t8b", {});
    rig.transfers->CarryOutRequest();
    ASSERT_EQ(rig.ui.log.size(), 1u);
    EXPECT_EQ(rig.ui.log[0].rfind("message Cannot run /jobs/dropped.t8b: the port", 0), 0u)
        << "not a batch whose keys would all be dropped";
    rig.ui.log.clear();
    rig.transfers->ExecuteBatchCommand(); // F12 alike, before a file is asked for
    EXPECT_EQ(rig.ui.log, Log{std::string("message ") + TransferController::kPortClosedForBatch});
}

TEST_F(BatchExecutorTest, TextInUtf16IsRefusedAsAWhole) {
    Run(std::string("\xFF\xFET\08\0 \0:\0\r\0\n\0", 14));
    Tick(3);
    EXPECT_EQ(batch->End(), BatchEnd::ScriptError);
    EXPECT_EQ(batch->StatusLine(), "Error in Batch command line : the file is UTF-16 text; save it "
                                   "as ASCII or UTF-8.");
    EXPECT_EQ(state.written, "|||") << "not a key of it typed";
}

// t8batch knows a TX file it cannot send before the line types "RE" and arms the device.
TEST_F(BatchExecutorTest, AHostThatKnowsTheTxFileIsMissingStopsBeforeAnyKey) {
    struct Checking : BatchTerminal {
        explicit Checking(TransferController& inner_) : inner(inner_) {}
        int TypeKey(std::uint8_t key) override { return inner.TypeKey(key); }
        [[nodiscard]] bool PromptSeen() const override { return inner.PromptSeen(); }
        void ClearPromptSeen() override { inner.ClearPromptSeen(); }
        RawSendResult SendFileRaw(const std::string& path) override {
            return inner.SendFileRaw(path);
        }
        [[nodiscard]] std::string TxFileProblem(const std::string& path) const override {
            return path.ends_with("missing.hex") ? "No such file or directory" : "";
        }
        void PrepareBatchReceive(const std::string& name) override {
            inner.PrepareBatchReceive(name);
        }
        TransferController& inner;
    } checking(*rig.transfers);
    state.written.clear();
    batch.emplace(checking, display);
    batch->OpenText("T8 :\r\nTX missing.hex RE:\r\n", rig.folder + "/job.t8b");
    Tick(3);
    Prompt();
    Tick(4);
    EXPECT_EQ(batch->End(), BatchEnd::FileError);
    EXPECT_EQ(batch->StatusLine(),
              "Cannot send the TX file " + rig.folder + "/missing.hex: No such file or directory.");
    EXPECT_EQ(state.written, "|\r||||||") << "the T8 line's key only";

    Run("TX missing.hex RE:\r\n"); // the window's terminal leaves it to the send
    Tick(4);
    EXPECT_EQ(state.written, "|R|E|\r|");
}

// t8batch's pace on a manual clock: a line or a key a step, the wait's first look as soon as
// the last key is out, and a prompt taken the moment it arrives, not a step later.
TEST_F(BatchExecutorTest, ThePacerStepsOnItsClockAndAtOnceForAPrompt) {
    for (const int stepMs : {100, 10}) {
        const auto step = static_cast<std::uint64_t>(stepMs);
        std::uint64_t now = 0;
        std::vector<std::uint64_t> steps; // when each tick ran
        Run("T8 ab\r\nCMD c\r\n");
        BatchPacer pacer(
            *batch, *rig.transfers, stepMs, [&] { return now; },
            [&] {
                steps.push_back(now);
                Tick();
            });
        pacer.Start();
        const auto runUntil = [&](std::uint64_t until) {
            for (; now <= until; ++now) {
                (void)pacer.Due();
            }
            now = until;
        };
        runUntil(2 * step + step / 2);
        Prompt(); // the echo of a key brings a prompt: no wait looks for it yet
        EXPECT_FALSE(pacer.PromptMayHaveCome());
        runUntil(4 * step);
        EXPECT_EQ(state.written, "|a|b|||") << "the last key and the wait's first look at once";
        EXPECT_TRUE(batch->WaitingForPrompt()) << "the prompt the keys brought is forgotten";
        now = 4 * step + 1;
        EXPECT_FALSE(pacer.PromptMayHaveCome()) << "no prompt yet";
        Prompt();
        EXPECT_TRUE(pacer.PromptMayHaveCome()) << "the prompt, one ms after the look";
        EXPECT_EQ(pacer.NextStepMs(), now + step) << "the next step counts from this one";
        runUntil(5 * step + 1);
        EXPECT_EQ(state.written, "|a|b||||c|");
        EXPECT_EQ(steps, (std::vector<std::uint64_t>{step, 2 * step, 3 * step, 3 * step, 4 * step,
                                                     4 * step + 1, 5 * step + 1}))
            << stepMs;
    }
}

} // namespace
} // namespace t8::test
