#include "tests/transfer/LibraryRecords.h"
#include "tests/transfer/TransferHarness.h"

#include "transfer/DownloadStream.h"
#include "transfer/FileDialogError.h"
#include "transfer/LibraryConversion.h"
#include "transfer/LibraryDownload.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace t8::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Convert(const std::string& file) {
    std::istringstream in(file);
    std::ostringstream out;
    EXPECT_TRUE(ConvertLibrary(in, out));
    return out.str();
}

std::optional<std::string> AddressText(const std::string& piece) {
    return RecordAddressText(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size());
}

TEST(LibraryConversionTest, RecordsFromF800OnAreLeftOutAndEveryRecordEndsInCrLf) {
    const std::string below = IntelRecord(0xF7F0, {1, 2, 3, 4});
    const std::string at = IntelRecord(0xF800, {0xAA, 0xBB});
    const std::string high = IntelRecord(0xFFFF, {0x11});
    const std::string linear = IntelRecord(0, {0x00, 0x01}, 4);
    // LF-only lines, a title before the first record, blanks and a stray line between
    const std::string file = "T8 library\n" + linear + "\n  " + below + "\n" + at + "\nnote\n" +
                             high + "\n" + kEndRecord + "\n";
    EXPECT_EQ(Convert(file), linear + "\r\n" + below + "\r\n" + kEndRecord + "\r\n");
    // CR LF input comes out the same; lower-case digits are copied as they are
    EXPECT_EQ(Convert(":0100100055ab\r\n:00000001ff\r\n"), ":0100100055ab\r\n:00000001ff\r\n");
}

TEST(LibraryConversionTest, AFileWithoutRecordsGivesNothing) {
    EXPECT_EQ(Convert(""), "");
    EXPECT_EQ(Convert("S1130000285F245F2212226A000424290008237C2A\r\n"), "");
    EXPECT_EQ(Convert("ends with a colon:"), "");
}

TEST(LibraryConversionTest, ARecordCutShortIsCopiedAsFarAsTheFileGoes) {
    // the count says 16 bytes, the file ends after two: no filler is invented
    EXPECT_EQ(Convert(":10010000ABCD"), ":10010000ABCD\r\n");
    EXPECT_EQ(Convert(":0201"), ":0201\r\n");
    // records are read by their count, unchecked: a record without its checksum takes the
    // next two characters for it
    EXPECT_EQ(Convert(":00000000\n:0100200011CE\n"), ":00000000\n:\r\n");
}

TEST(LibraryConversionTest, TheAddressShownIsTheLastRecordBegunInThePiece) {
    const std::string piece = IntelRecord(0x0F50, {1}) + "\r\n" + IntelRecord(0x0F60, {2}) + "\r\n";
    EXPECT_EQ(AddressText(piece), "0F60 - transmitted.");
    // a ":" among the last nine characters has no whole header in the piece
    EXPECT_EQ(AddressText(IntelRecord(0x0F50, {1}) + "\r\n:0F6000"), "0F50 - transmitted.");
    EXPECT_EQ(AddressText(":0F600002"), std::nullopt);
    EXPECT_EQ(AddressText("0123456789ABCDEF"), std::nullopt);
}

// The start sequences below step 115200 and 57600; these are the other ends of the menu.
TEST(LibraryStartTest, BaudCodesStepTheDeviceMenuFrom9600) {
    EXPECT_EQ(BaudCode(9600), 0);
    EXPECT_EQ(BaudCode(4800), 8);
    EXPECT_EQ(FileDialogErrorText(0x4242), "Error code:16962");
}

// A port that notes each line setting in the trace, so the trace shows at which rate every
// key went out.
class RatePort : public FakePort {
public:
    explicit RatePort(State& shared) : FakePort(shared), state(shared) {}
    bool Configure(const LineSettings& settings) override {
        state.written += "[" + std::to_string(settings.baudRate) + "]";
        return FakePort::Configure(settings);
    }

private:
    State& state;
};

class LibraryTest : public ::testing::Test {
protected:
    LibraryTest() : rig([this](const std::string&) { return std::make_unique<RatePort>(state); }) {
        rig.link.Record()->com.devicePath = "/dev/fake";
        rig.dirs.libraryDirectory = rig.folder;
        rig.dirs.libraryFilter = "*.hex";
    }
    // F9 on `file`, by default a library of two records below F800 and one above, at
    // `baudRate`.
    void Download(std::uint32_t baudRate, const std::string& file = {}) {
        TTYInfo& tty = *rig.link.Record();
        tty.com.baudRate = baudRate;
        tty.com.flowCtrl = kFlowDtrDsr;
        tty.com.parity = kParityEven;
        tty.line.comXonXoff = 1;
        ASSERT_NE(rig.link.OpenPort(), 0);
        state.written.clear();
        rig.ui.trace = &state.written;
        rig.ui.answers.push_back(rig.MakeFile("device.hex", file.empty() ? kFile : file));
        rig.transfers->ReceiveLibraryCommand();
    }
    [[nodiscard]] std::string Rate(std::uint32_t rate) const {
        return "[" + std::to_string(rate) + "]";
    }
    // The device hangs up once the trace ends with `after`; the window dispatches the news.
    void HangUpAfter(std::string after) {
        rig.ui.pause = [this, after](int) {
            if (hungUp || !state.written.ends_with(after)) {
                return;
            }
            hungUp = true;
            const int seen = rig.linkUi.Wakes();
            FakePort::HangUp(state);
            ASSERT_TRUE(rig.linkUi.WaitForWake(seen, 5000));
            rig.link.DispatchReceived();
        };
    }
    // Told without a box: the status bar says the T8 hung up, the terminal what it cut short.
    [[nodiscard]] bool ToldOfTheHangUp() const {
        const auto& statuses = rig.linkUi.statuses;
        return rig.linkUi.messages.empty() &&
               std::any_of(statuses.begin(), statuses.end(),
                           [](const std::string& text) {
                               return text.find("hung up") != std::string::npos;
                           }) &&
               rig.screenText.find(std::string(LibraryDownload::kCutShort)) != std::string::npos;
    }

    const std::string kLow = IntelRecord(0x0100, {0x12, 0x34});
    const std::string kHigh = IntelRecord(0xF800, {0x56});
    const std::string kFile = kLow + "\n" + kHigh + "\n" + kEndRecord + "\n";
    const std::string kSent = "RL<220>" + kLow + "\r\n" + kEndRecord + "\r\n";
    const std::string kStartKeys = "X<110>X<110>0<110>0<110>0<110>0<110>0<110>\r<110>";
    FakePort::State state;
    TransferRig rig;
    bool hungUp = false;
};

TEST_F(LibraryTest, StartSequenceSteps115200WithThreeBlanksAt9600) {
    Download(115200);
    EXPECT_EQ(state.written, kSent + kStartKeys + "<50>" + Rate(9600) +
                                 "\r<110>B<110>A<110> <120> <120> <120>\x1b<110>" + Rate(115200) +
                                 "\r<110>");
    EXPECT_EQ(state.configured[1], (LineSettings{9600, 8, kParityNone, kStopOne, kFlowDtrDsr}));
    const TTYInfo& tty = *rig.link.Record();
    EXPECT_EQ(tty.com.Line(), (LineSettings{115200, 8, kParityEven, kStopOne, kFlowDtrDsr}));
    EXPECT_EQ(tty.line.comXonXoff, 0U) << "XON/XOFF is off after the start, as at 9600";
    EXPECT_EQ(rig.link.flags.displayHeld, 0U);
    EXPECT_THAT(rig.ui.log,
                ElementsAre("open " + rig.folder + "/*.hex", "ask Do you wish to start library ?",
                            "message File downloaded successfully"));
    EXPECT_EQ(rig.ui.downloadEnd.substr(0, 19), "0000 - transmitted.");
    EXPECT_TRUE(rig.ui.timerRunning);
}

// The device cannot follow the PC back to a rate its menu lacks: the operator is told before
// anything is sent, and may stop there.
TEST_F(LibraryTest, ARateOutsideTheMenuIsQuestionedAndThenSendsNoBlank) {
    Download(57600);
    EXPECT_EQ(state.written, kSent + kStartKeys + "<50>" + Rate(9600) +
                                 "\r<110>B<110>A<110>\x1b<110>" + Rate(57600) + "\r<110>");
    ASSERT_GE(rig.ui.log.size(), 2U);
    EXPECT_THAT(rig.ui.log[1], HasSubstr("ask The T8's baud rate menu has no 57600 baud."));
    EXPECT_THAT(rig.ui.log[1], HasSubstr("PC goes back to 57600 baud"));

    rig.ui.log.clear();
    rig.ui.confirm = false;
    Download(19200);
    EXPECT_EQ(state.written, "");
    EXPECT_THAT(rig.ui.log, ElementsAre(HasSubstr("open"), HasSubstr("has no 19200 baud")));
    EXPECT_TRUE(rig.ui.timerRunning);

    rig.ui.log.clear();
    Download(4800); // in the menu: no question, and the start question answered Cancel
    EXPECT_THAT(rig.ui.log, ElementsAre(HasSubstr("open"), "ask Do you wish to start library ?",
                                        HasSubstr("successfully"), HasSubstr("RESET")));
}

TEST_F(LibraryTest, ALibraryWithoutRecordsBelowF800IsNotCalledDownloaded) {
    const std::string path = rig.folder + "/device.hex";
    Download(115200, kHigh + "\n");
    EXPECT_EQ(state.written, "RL<220>");
    EXPECT_THAT(rig.ui.log, ElementsAre(HasSubstr("open"),
                                        "message Nothing was downloaded: " + path +
                                            " holds no Intel HEX records below address F800.\n"
                                            "Now press RESET, then press ENTER on T8"));
    EXPECT_TRUE(rig.ui.timerRunning);
}

TEST_F(LibraryTest, AClosedPortIsToldBeforeTheFileIsAskedFor) {
    rig.transfers->ReceiveLibraryCommand();
    EXPECT_THAT(rig.ui.log, ElementsAre("message " + std::string(LibraryDownload::kPortClosed)));
    EXPECT_EQ(state.written, "");
}

TEST_F(LibraryTest, CancelAtTheQuestionSendsNothingMore) {
    rig.ui.confirm = false;
    Download(115200);
    EXPECT_EQ(state.written, kSent);
    EXPECT_THAT(rig.ui.log, ElementsAre(HasSubstr("open"), HasSubstr("ask"),
                                        "message File downloaded successfully",
                                        "message Now press RESET, then press ENTER on T8"));
    EXPECT_TRUE(rig.ui.timerRunning);
}

TEST_F(LibraryTest, CancelDuringTheStreamEndsTheCommand) {
    rig.ui.beforeTick = [this](int tick) {
        if (tick == 1) {
            rig.ui.download->Cancel();
        }
    };
    Download(115200);
    EXPECT_EQ(state.written, "RL<220>"); // the conversion took the first tick
    EXPECT_THAT(rig.ui.log, ElementsAre(HasSubstr("open")));
}

TEST_F(LibraryTest, ARefusedKeyEndsTheSequenceButTheSettingsComeBack) {
    rig.ui.beforeTick = [this](int) { state.modemStatus = kModemCts; }; // DSR drops
    Download(28800);
    EXPECT_EQ(state.written, kSent + "<50>" + Rate(9600) + Rate(28800));
    ASSERT_EQ(rig.linkUi.messages.size(), 1U);
    EXPECT_EQ(rig.linkUi.messages[0].text, SerialLink::kNotConnected);
    EXPECT_EQ(rig.link.Record()->com.Line().baudRate, 28800U);
    EXPECT_EQ(rig.link.flags.displayHeld, 0U);
}

TEST_F(LibraryTest, AHangUpDuringTheStartSequenceEndsItAndPutsTheSettingsBack) {
    HangUpAfter("B<110>");
    Download(115200);
    EXPECT_EQ(state.written, kSent + kStartKeys + "<50>" + Rate(9600) + "\r<110>B<110>");
    EXPECT_TRUE(ToldOfTheHangUp());
    EXPECT_THAT(rig.ui.log, ElementsAre(HasSubstr("open"), HasSubstr("ask")))
        << "no success is reported and no reopen tried";
    EXPECT_EQ(rig.link.Record()->com.Line().baudRate, 115200U);
    EXPECT_EQ(rig.link.flags.displayHeld, 0U);
    EXPECT_FALSE(rig.link.LineOpen());
    EXPECT_FALSE(rig.ui.timerRunning);
}

TEST_F(LibraryTest, AHangUpBeforeTheStreamEndsTheCommandWithoutAQuestion) {
    HangUpAfter("RL<220>");
    Download(115200);
    EXPECT_EQ(state.written, "RL<220>");
    EXPECT_TRUE(ToldOfTheHangUp());
    EXPECT_THAT(rig.ui.log, ElementsAre(HasSubstr("open")));
}

// The operator knows the library file's size; the copy streamed is smaller (no records from
// F800 on), and is not what the hang-up's line quotes: both of its numbers are the file's.
TEST_F(LibraryTest, AHangUpDuringTheStreamQuotesTheFilesOwnSize) {
    std::string file;
    for (int i = 0; i < 200; ++i) {
        file += IntelRecord(static_cast<std::uint16_t>(i * 16), std::vector<std::uint8_t>(16, 1)) +
                "\r\n" + IntelRecord(0xF800, std::vector<std::uint8_t>(16, 2)) + "\r\n";
    }
    rig.ui.beforeTick = [this](int tick) {
        if (tick == 2 && !hungUp) {
            hungUp = true;
            const int seen = rig.linkUi.Wakes();
            FakePort::HangUp(state);
            ASSERT_TRUE(rig.linkUi.WaitForWake(seen, 5000));
            rig.link.DispatchReceived();
        }
    };
    Download(115200, file);
    // the first piece of the half-sized copy went out: about twice its size of the file
    const std::string quoted = " of " + std::to_string(file.size()) + " bytes.]";
    const std::string start = "[The send of device.hex was stopped after ";
    const std::size_t at = rig.screenText.find(start);
    ASSERT_NE(at, std::string::npos) << rig.screenText;
    const std::size_t sent = std::stoul(rig.screenText.substr(at + start.size()));
    EXPECT_GT(sent, DownloadStream::kPieceBytes * 19 / 10);
    EXPECT_LT(sent, DownloadStream::kPieceBytes * 21 / 10);
    EXPECT_THAT(rig.screenText, HasSubstr(std::to_string(sent) + quoted));
}

TEST_F(LibraryTest, FileProblemsAreToldAndNothingIsSent) {
    ASSERT_NE(rig.link.OpenPort(), 0);
    state.written.clear();
    rig.ui.answers.push_back(rig.folder + "/missing.hex");
    rig.transfers->ReceiveLibraryCommand();
    rig.ui.dialogError = kDialogErrorInvalidFileName;
    rig.transfers->ReceiveLibraryCommand(); // the dialog gives nothing and says why
    rig.ui.dialogError = kDialogErrorNone;
    rig.transfers->ReceiveLibraryCommand(); // cancelled: nothing to say
    EXPECT_EQ(state.written, "");
    EXPECT_THAT(rig.ui.log,
                ElementsAre(HasSubstr("open"), "message Error by opening file.", HasSubstr("open"),
                            "message A filename is invalid. ", HasSubstr("open")));
}

TEST_F(LibraryTest, TheDialogStartsWhereTheLastLibraryWasUntilTheDirectoriesChange) {
    Download(9600);
    rig.transfers->ReceiveLibraryCommand();
    rig.transfers->ForgetDialogLocations();
    rig.transfers->ReceiveLibraryCommand();
    std::vector<std::string> opened;
    for (const std::string& entry : rig.ui.log) {
        if (entry.starts_with("open ")) {
            opened.push_back(entry.substr(5));
        }
    }
    EXPECT_THAT(opened, ElementsAre(rig.folder + "/*.hex", rig.folder + "/device.hex",
                                    rig.folder + "/*.hex"));
}

} // namespace
} // namespace t8::test
