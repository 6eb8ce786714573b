#include "tests/transfer/TransferFixture.h"

#include "transfer/PromptParser.h"
#include "transfer/ReceiveStream.h"
#include "transfer/TransferFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace t8::test {
namespace {

TEST(PromptParserTest, HexNumbersAndRanges) {
    EXPECT_EQ(ParseHexNumber("1fff"), 0x1FFFu);
    EXPECT_EQ(ParseHexNumber("12G4"), 0x12u);
    EXPECT_EQ(ParseHexNumber("123456789"), 0x23456789u) << "wraps at 32 bits";

    const auto binary = TransferFormat::FormatBinary;
    const auto r = ParsePromptText("Send INTEL data range 00100,01FFF", binary);
    EXPECT_EQ(r.format, TransferFormat::FormatIntel);
    EXPECT_EQ(r.rangeStart, 0x100);
    EXPECT_EQ(r.rangeEnd, 0x1FFF);
    EXPECT_EQ(ParsePromptText("Range 00200:", binary).rangeEnd, 0x7FFFFFFF);
    EXPECT_EQ(ParsePromptText("abc,10", binary).rangeStart, 0) << "separator at index 3";
    EXPECT_EQ(ParsePromptText("12:00010,20", binary).rangeStart, 0x10) << "comma first";
    EXPECT_EQ(ParsePromptText("00001,80000000", binary).rangeEnd, 0x7FFFFFFF);
}

// "/" is kept as a folder of its own; only a name without any folder starts in the working one.
TEST(TransferFilesTest, ADialogStartsInTheFolderOfItsInitialName) {
    EXPECT_EQ(StartFolder(InitialName("/", "*.*")), "/");
    EXPECT_EQ(StartFolder(InitialName("/", "*.t8b")), "/");
    EXPECT_EQ(StartFolder(InitialName("/data/in", "*.hex")), "/data/in");
    EXPECT_EQ(StartFolder(InitialName("/data/in/", "*.hex")), "/data/in");
    EXPECT_EQ(StartFolder(InitialName("", "*.hex")), "");
    EXPECT_EQ(StartFolder("/data/lib.hex"), "/data/lib.hex") << "a file named: the dialog picks it";
}

TEST_F(TransferTest, PromptCollectionIsTheSameForEverySplit) {
    const std::string answer = "\r\nSend TEK data range 00011\b0,0\r\n2\bFF";
    for (std::size_t split = 0; split <= answer.size(); ++split) {
        rig.transfers->ReceiveFileCommand();
        rig.Shown(answer.substr(0, split));
        rig.Shown(answer.substr(split));
        EXPECT_EQ(rig.transfers->Fields().prompt.Text(), "Send TEK data range 00010,0FF") << split;
    }
    rig.Shown(std::string(AddressPrompt::kMaxText, 'x'));
    EXPECT_EQ(rig.transfers->Fields().prompt.Text().size(), AddressPrompt::kMaxText);
}

TEST_F(TransferTest, IntelSendConfirmsWithinATickAndStreamsInPieces) {
    const std::string data(10000, 'D');
    rig.ui.answers.push_back(rig.MakeFile("a.hex", data));
    rig.transfers->SendFileCommand();
    EXPECT_EQ(state.written, "RE");
    rig.Shown("\r\nReceive INTEL data - ENTER ");
    rig.ui.beforeTick = [&](int tick) {
        port->queued = tick == 1 ? DownloadStream::kMaxQueuedBytes + 1 : 0;
        state.writeLimit = tick == 2 ? 1000 : ~0u; // a piece the port takes only in part
    };
    rig.transfers->OnTransferTimer();
    EXPECT_TRUE(state.written == "RE\r" + data);
    EXPECT_EQ(port->pieces, (Pieces{{0, 4096}, {2, 1000}, {3, 4096}, {4, 808}}));
    EXPECT_EQ(rig.ui.ticks, 5 + DownloadStream::kIdleTicksToClose);
    // the rate counts the first piece as a tick of line time
    const std::string texts = "10000 - bytes transmitted. 100% 40000 bytes/s, 0:00 left ";
    ASSERT_EQ(rig.ui.downloadEnd.substr(0, texts.size()), texts);
    EXPECT_FALSE(std::filesystem::exists(DirectoryOf(rig.ui.downloadEnd.substr(texts.size()))));
    EXPECT_EQ(rig.ui.log, Log{"open " + rig.folder + "/*.*"});
    EXPECT_TRUE(rig.ui.timerRunning);
}

TEST_F(TransferTest, BinaryWaitsForTheOperatorAndEscDisarms) {
    rig.transfers->SendNamedFile(rig.MakeFile("b.bin", "xyz"));
    rig.Shown("\r\nReceive BINARY data load address ");
    rig.transfers->OnTransferTimer();
    rig.transfers->OnTransferTimer();
    EXPECT_EQ(rig.ui.log, Log(2, std::string("prompt ") + kAddressPromptText));
    rig.Type("100\r");
    EXPECT_EQ(state.written, "RE100\rxyz");

    rig.transfers->SendNamedFile(rig.MakeFile("c.bin", "abc"));
    rig.Shown("\r\nReceive ASCII data load address ");
    rig.transfers->OnTransferTimer(); // ASCII data wait for the operator's address too
    EXPECT_EQ(state.written, "RE100\rxyzRE");
    rig.Type("\x1b");
    rig.transfers->OnTransferTimer();
    EXPECT_EQ(state.written, "RE100\rxyzRE\x1b");
    EXPECT_EQ(rig.ui.log, Log(3, std::string("prompt ") + kAddressPromptText));
}

TEST_F(TransferTest, CancelledSendEndsWithFourEscapesAndRestoresTheEcho) {
    rig.link.Record()->com.comLocalEcho = 1;
    rig.transfers->SendNamedFile(rig.MakeFile("a.hex", std::string(9000, 'D')));
    EXPECT_EQ(rig.link.Record()->line.echoActive, 0u);
    std::uint64_t sent = 0;
    rig.link.Record()->com.baudRate = 4000000; // a fast line: the queue decides
    rig.ui.beforeTick = [&](int tick) {
        if (tick == 1) {
            port->queued = 1000; // still in the driver, dropped by the cancel
            rig.ui.download->Cancel();
            sent = rig.ui.download->Sent();
        }
    };
    rig.Shown("MOTOROLA");
    rig.transfers->OnTransferTimer();
    EXPECT_TRUE(state.written == "RE\r" + std::string(4096, 'D') + "\x1b\x1b\x1b\x1b");
    EXPECT_EQ(sent, 3096u) << "what the cancel dropped never went to the line";

    // A pty shows no queue: the line's rate bounds what can have gone out.
    rig.link.Record()->com.baudRate = 9600;
    rig.transfers->SendNamedFile(rig.MakeFile("b.hex", std::string(90000, 'D')));
    rig.ui.beforeTick = [&](int tick) {
        port->queued = 0;
        if (tick == 10) {
            rig.ui.download->Cancel();
            sent = rig.ui.download->Sent();
        }
    };
    rig.Shown("MOTOROLA");
    rig.transfers->OnTransferTimer();
    EXPECT_EQ(sent, 480u) << "ten ticks and the one running: 0.5 s at 960 bytes a second";
    EXPECT_EQ(rig.link.Record()->line.echoActive, 1u);

    rig.transfers->SendNamedFile(rig.folder + "/missing.hex");
    rig.Shown("TEK");
    rig.transfers->OnTransferTimer();
    EXPECT_EQ(rig.ui.log, Log{std::string("message ") + kOpenFileError});
    EXPECT_EQ(rig.link.Record()->line.echoActive, 1u);
    EXPECT_TRUE(rig.ui.timerRunning);
}

TEST_F(TransferTest, IntelReceiveSavesWhatCameBetweenLineBreakAndPrompt) {
    const std::string records = ":0100000041BE\r\n:00000001FF\r\n";
    const std::string target = rig.folder + "/r.hex";
    rig.ui.answers.push_back(target);
    rig.transfers->ReceiveFileCommand();
    rig.Shown("\r\nSend INTEL data range 00000,00000");
    rig.ui.beforeTick = [&](int tick) {
        rig.Shown(tick == 0 ? "\r\n" + records.substr(0, 9) : records.substr(9) + "\r\n>more");
    };
    rig.Type("\r");
    EXPECT_EQ(rig.ui.ticks, 2) << "the tick after the prompt closes";
    EXPECT_EQ(ReadFile(target), records + "\r\n");
    EXPECT_EQ(rig.ui.log, (Log{std::string("prompt ") + kAddressPromptText,
                               "30 bytes|Receive INTELHEX format.|No errors.",
                               "save " + rig.folder + "/*.hex", "examine " + target}));
    EXPECT_EQ(state.written, "SE\r<100>\r<100>");
    EXPECT_EQ(rig.link.flags.displayHeld, 0u);
}

// The receive armed last is the one Enter confirms: an earlier armed send never streams.
TEST_F(TransferTest, AReceiveArmedAfterASendIsWhatEnterConfirms) {
    const std::string target = rig.folder + "/r.bin";
    rig.ui.answers.push_back(target);
    rig.transfers->SendNamedFile(rig.MakeFile("armed.hex", "SENT-DATA"));
    rig.transfers->ReceiveFileCommand();
    rig.Shown("\r\nSend BINARY data range 00000,00003");
    rig.ui.beforeTick = [&](int tick) {
        if (tick == 0) {
            rig.Shown("\r\nabc");
        }
    };
    rig.Type("\r");
    EXPECT_EQ(ReadFile(target), "abc");
    EXPECT_EQ(state.written.find("SENT-DATA"), std::string::npos) << state.written;
    EXPECT_EQ(rig.link.Record()->transfer.sendPending, 0u);
}

TEST_F(TransferTest, BinaryReceiveEndsAtTheRangeSilenceAndCancelEndAnyReceive) {
    const std::string data = "x" + std::string(255, '\r'); // line breaks inside are data
    rig.ui.answers = {rig.folder + "/b.bin", rig.folder + "/e.bin"};
    rig.transfers->UploadEepromCommand();
    rig.Shown("00000,000FF");
    rig.ui.beforeTick = [&](int tick) {
        if (tick == 0) {
            rig.Shown("\r\n" + data.substr(0, 255));
            rig.Shown(data.substr(255) + "\r\n>"); // the range includes its end address
        }
    };
    rig.Type("\r");
    EXPECT_EQ(ReadFile(rig.folder + "/b.bin"), data);
    EXPECT_EQ(rig.ui.ticks, 1);

    rig.ui.beforeTick = {};
    rig.transfers->ReceiveFileCommand();
    rig.Type("\r");
    EXPECT_EQ(rig.ui.ticks, 1 + UploadProgress::kSilentTicksToClose);
    EXPECT_TRUE(std::filesystem::exists(rig.folder + "/e.bin"));
    // a device silent from the start sent no read-back, even where silence ends a receive
    EXPECT_NE(std::find(rig.ui.log.begin(), rig.ui.log.end(),
                        std::string("||") + UploadProgress::kNothingSent),
              rig.ui.log.end());
    rig.ui.maxTicks = 3; // then Cancel: no file, the command ended
    rig.transfers->ReceiveFileCommand();
    rig.Type("\r");
    EXPECT_EQ(state.written, "SX\r<100>\r<100>SE\r<100>\r<100>SE\r\x1b\x1b\x1b\x1b<100>\r<100>");
    EXPECT_EQ(rig.ui.log.back(), "||No errors.") << "no save dialog";
}

// How the file is written (through links, keeping its mode, leaving no rest) is SaveFileTest's.
TEST_F(TransferTest, UnwritableTargetIsReportedAndAnotherNameSavesTheData) {
    rig.ui.answers = {rig.folder + "/no/such.hex", rig.folder + "/ok.hex"};
    rig.transfers->PrepareBatchReceive(rig.folder + "/no/batch.hex");
    rig.ui.beforeTick = [&](int) { rig.Shown("\r\n1234>"); };
    rig.Shown("Send ASCII data range 00000,00003");
    rig.Type("\r");
    EXPECT_EQ(ReadFile(rig.folder + "/ok.hex"), "1234");
    ASSERT_EQ(rig.ui.log.size(), 5u) << "no examine after a batch receive";
    EXPECT_EQ(rig.ui.log[1].rfind("message Cannot write the file " + rig.folder, 0), 0u);
    EXPECT_EQ(rig.ui.log[2], "save " + rig.folder + "/no/*.hex");
}

TEST_F(TransferTest, DocumentRequestsAndTheStartupBatch) {
    using enum CProgTermDoc::Answer;
    rig.transfers->SetStartupBatch({true, "/b/run.t8b"});
    for (const auto& [path, answer] :
         {std::pair{"/b/RUN.T8B", Cancel}, {"/d/x.hex", Examine}, {"/d/y.hex", Download}}) {
        rig.doc.OnOpenDocument(path, [a = answer](const std::string&) { return a; });
        rig.transfers->OnTransferTimer(); // the batch request is dropped: the start-up one runs
    }
    for (int tick = 4; tick < TransferController::kStartupBatchTick; ++tick) {
        rig.transfers->OnTransferTimer();
    }
    EXPECT_EQ(rig.ui.log, Log{"examine /d/x.hex +record"});
    rig.transfers->OnTransferTimer();
    EXPECT_EQ(rig.ui.log.back(), "batch /b/run.t8b");
    EXPECT_EQ(state.written, "RE");
    rig.Shown("\r\n>");
    rig.transfers->OnTransferTimer();
    EXPECT_EQ(rig.link.flags.promptSeen, 1u);
}

TEST(ReceiveStreamTest, EveryBlockSplitStoresTheSame) {
    const std::string stream = "\r\r\n:10\rX\n\r\n>after";
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        ReceiveStream receive;
        receive.Arm();
        receive.SetRange({TransferFormat::FormatAscii, 0, 0});
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data());
        const bool first = receive.Feed(bytes, split, nullptr);
        EXPECT_TRUE(receive.Feed(bytes + split, stream.size() - split, nullptr) || first);
        EXPECT_EQ(std::string(receive.Data().begin(), receive.Data().end()), ":10\rX\n\r\n")
            << split;
    }
}

TEST(ReceiveStreamTest, AReceiveBeyondTheBoundIsCut) {
    ReceiveStream receive;
    receive.Arm();
    receive.SetRange({TransferFormat::FormatBinary, 0, 0x7FFFFFFF});
    const std::vector<std::uint8_t> block(std::size_t{1} << 20, 'x');
    for (std::size_t fed = 0; fed <= ReceiveStream::kMaxBytes; fed += block.size()) {
        receive.Feed(block.data(), block.size(), nullptr);
    }
    EXPECT_TRUE(receive.Cut());
    EXPECT_EQ(receive.ReceivedCount(), ReceiveStream::kMaxBytes);
}

} // namespace
} // namespace t8::test
