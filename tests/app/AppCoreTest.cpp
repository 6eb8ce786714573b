#include "app/CProgTermDoc.h"
#include "app/CommandLine.h"
#include "tests/support/TempFolder.h"
#include "transfer/FileFilters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace t8 {
namespace {

TEST(CommandLineTest, OptionsAndTheOneFile) {
    auto line = ParseCommandLine({"--port", "/dev/pts/4", "--no-splash", "job.hex"});
    EXPECT_EQ(line.port, "/dev/pts/4");
    EXPECT_FALSE(line.showSplash);
    EXPECT_EQ(line.file, "job.hex");
    EXPECT_TRUE(line.error.empty());
    EXPECT_TRUE(line.reconnect);
    EXPECT_FALSE(ParseCommandLine({"--no-reconnect"}).reconnect);

    line = ParseCommandLine({"--port=/dev/ttyUSB1", "--", "--odd-name.hex"});
    EXPECT_EQ(line.port, "/dev/ttyUSB1");
    EXPECT_EQ(line.file, "--odd-name.hex");
    EXPECT_TRUE(line.showSplash);

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"a.hex", "b.hex"}, {"--port"}, {"--port="}, {"--frobnicate"}}) {
        EXPECT_FALSE(ParseCommandLine(bad).error.empty()) << bad[0];
    }
    EXPECT_TRUE(ParseCommandLine({"--help"}).help);
    EXPECT_TRUE(ParseCommandLine({"--version"}).version);
}

TEST(FileFilterTest, BarSeparatedFiltersBecomeDialogFilters) {
    EXPECT_EQ(DialogFilter(kDataFileFilter),
              "All Files (*);;IntelHEX Files (*.hex *.HEX);;MOTOROLA-S Files (*.S* *.s* *.MOT "
              "*.mot);;Binary Files (*.bin *.BIN *.rom *.ROM)");
    EXPECT_EQ(DialogFilter(kCaptureFileFilter), "Capture files (*.cap *.CAP);;All Files (*)");
    EXPECT_EQ(DialogFilter(""), "");
    EXPECT_EQ(DialogFilter("Odd|"), "Odd ()") << "a name without patterns stays usable";
}

TEST(DocumentTest, OpeningRecordsOneRequest) {
    CProgTermDoc doc;
    std::string asked;
    auto answer = [&](CProgTermDoc::Answer a) {
        return [&asked, a](const std::string& text) {
            asked = text;
            return a;
        };
    };
    EXPECT_TRUE(doc.OnOpenDocument("/x/RUN.t8B", answer(CProgTermDoc::Answer::Cancel)));
    EXPECT_TRUE(asked.empty()) << "batch files are not asked about";
    std::string path;
    EXPECT_EQ(doc.TakePendingRequest(path), CProgTermDoc::kBatch);
    EXPECT_EQ(path, "/x/RUN.t8B");
    EXPECT_EQ(doc.TakePendingRequest(path), CProgTermDoc::kNone);

    EXPECT_TRUE(doc.OnOpenDocument("/x/a.t8b", answer(CProgTermDoc::Answer::Cancel)));
    EXPECT_TRUE(doc.OnOpenDocument("/x/job.t8b.d/a.hex", answer(CProgTermDoc::Answer::Examine)));
    EXPECT_FALSE(asked.empty()) << "only the extension makes a batch file";
    EXPECT_EQ(doc.TakePendingRequest(path), CProgTermDoc::kExamine);
    EXPECT_EQ(path, "/x/job.t8b.d/a.hex") << "a second open replaces the first";

    EXPECT_TRUE(doc.OnOpenDocument("/x/a.hex", answer(CProgTermDoc::Answer::Download)));
    EXPECT_EQ(asked, "File:/x/a.hex\nDo you wish to Download (YES) or Examine (NO) this file?");
    EXPECT_TRUE(doc.OnOpenDocument("/x/b.hex", answer(CProgTermDoc::Answer::Examine)));
    EXPECT_EQ(doc.TakePendingRequest(path), CProgTermDoc::kExamine);
    EXPECT_EQ(path, "/x/b.hex");
    EXPECT_FALSE(doc.OnOpenDocument("/x/c.hex", answer(CProgTermDoc::Answer::Cancel)));
    EXPECT_EQ(doc.TakePendingRequest(path), CProgTermDoc::kNone);
}

TEST(DocumentTest, TheTitleNamesAWaitingRequestAndReturnsWhenItIsTaken) {
    CProgTermDoc doc;
    std::vector<std::string> titles;
    doc.SetTitleObserver([&] { titles.push_back(doc.Title()); });
    const auto answer = [](CProgTermDoc::Answer a) {
        return [a](const std::string&) { return a; };
    };
    std::string path;
    doc.OnNewDocument();
    doc.OnOpenDocument("/x/a.hex", answer(CProgTermDoc::Answer::Examine));
    doc.OnOpenDocument("/y/RUN.T8B", answer(CProgTermDoc::Answer::Cancel));
    EXPECT_EQ(doc.Title(), "RUN.T8B");
    (void)doc.TakePendingRequest(path);
    EXPECT_EQ(doc.Title(), "T8") << "back to the title before the first of the two opens";
    (void)doc.TakePendingRequest(path);
    doc.OnOpenDocument("/x/b.hex", answer(CProgTermDoc::Answer::Download));
    EXPECT_FALSE(doc.OnOpenDocument("/x/c.hex", answer(CProgTermDoc::Answer::Cancel)));
    EXPECT_EQ(doc.TakePendingRequest(path), CProgTermDoc::kNone);
    EXPECT_EQ(titles, (std::vector<std::string>{"T8", "a.hex", "RUN.T8B", "T8", "b.hex", "T8"}));
}

class CaptureTest : public ::testing::Test {
protected:
    void Append(std::string_view text) {
        doc.AppendCapture(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    test::TempFolder dir;
    CProgTermDoc doc;
};

// The save goes through the file saver (its own tests cover modes, links and full disks): the
// file a link names is replaced, the link stays.
TEST_F(CaptureTest, SavesExactlyWhatArrivedAndSurvivesARequest) {
    Append(std::string("ab\0\xff", 4));
    doc.OnNewDocument(); // a carried-out request must not rewind the capture
    Append("cd");
    std::ofstream(dir.Path("log.cap")) << "old";
    dir.Link("latest.cap", "log.cap");
    const SaveResult saved = doc.Serialize(dir.Path("latest.cap"));
    ASSERT_TRUE(saved.saved) << saved.message;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("latest.cap")));
    EXPECT_EQ(test::ReadFile(dir.Path("log.cap")), std::string("ab\0\xff"
                                                               "cd",
                                                               6));
}

TEST_F(CaptureTest, AFailedSaveKeepsTheCaptureAndSaysWhy) {
    Append("data");
    const SaveResult missing = doc.Serialize(dir.Path("missing/x.cap"));
    EXPECT_FALSE(missing.saved);
    EXPECT_EQ(missing.message.rfind("Cannot write the file " + dir.Path("missing"), 0), 0U);
    EXPECT_EQ(doc.CaptureLength(), 4U);
    ASSERT_TRUE(doc.Serialize(dir.Path("x.cap")).saved); // another try
    EXPECT_EQ(test::ReadFile(dir.Path("x.cap")), "data");
}

TEST(CaptureLimitTest, TheStoreStopsAtItsBoundAndSaysSo) {
    CProgTermDoc doc;
    std::vector<std::uint8_t> block(1 << 20, 0x5A);
    for (std::size_t i = 0; i < CProgTermDoc::kCaptureLimit / block.size(); ++i) {
        ASSERT_TRUE(doc.AppendCapture(block.data(), block.size()));
    }
    EXPECT_FALSE(doc.CaptureFull());
    EXPECT_FALSE(doc.AppendCapture(block.data(), 1));
    EXPECT_TRUE(doc.CaptureFull());
    EXPECT_EQ(doc.CaptureLength(), CProgTermDoc::kCaptureLimit);
    doc.ResetCapture();
    EXPECT_FALSE(doc.CaptureFull());
    EXPECT_TRUE(doc.AppendCapture(block.data(), 1));
}

} // namespace
} // namespace t8
