#include "app/CProgTermDoc.h"
#include "app/CommandLine.h"
#include "transfer/FileFilters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("t8cap-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    static std::string Slurp(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Append(CProgTermDoc& doc, std::string_view text) {
        doc.AppendCapture(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    std::filesystem::path dir;
};

TEST_F(CaptureTest, SavesExactlyWhatArrivedAndSurvivesARequest) {
    CProgTermDoc doc;
    Append(doc, std::string("ab\0\xff", 4));
    doc.OnNewDocument(); // a carried-out request must not rewind the capture
    Append(doc, "cd");
    const SaveResult saved = doc.Serialize((dir / "out.cap").string());
    ASSERT_TRUE(saved.saved) << saved.message;
    EXPECT_EQ(Slurp(dir / "out.cap"), std::string("ab\0\xff"
                                                  "cd",
                                                  6));
}

// The save replaces the file the operator chose, not a link to it, and touches no other file.
TEST_F(CaptureTest, ASaveKeepsLinksModeAndNeighbours) {
    namespace fs = std::filesystem;
    std::ofstream(dir / "log.cap") << "old";
    fs::permissions(dir / "log.cap", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("log.cap", dir / "latest.cap");
    std::ofstream(dir / "latest.cap.part") << "the operator's own";
    CProgTermDoc doc;
    Append(doc, "new");
    ASSERT_TRUE(doc.Serialize((dir / "latest.cap").string()).saved);
    EXPECT_TRUE(fs::is_symlink(dir / "latest.cap"));
    EXPECT_EQ(Slurp(dir / "log.cap"), "new");
    EXPECT_EQ(fs::status(dir / "log.cap").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Slurp(dir / "latest.cap.part"), "the operator's own");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 3);
}

TEST_F(CaptureTest, AFailedSaveKeepsTheCaptureAndSaysWhy) {
    CProgTermDoc doc;
    Append(doc, "data");
    const SaveResult missing = doc.Serialize((dir / "missing" / "x.cap").string());
    EXPECT_FALSE(missing.saved);
    EXPECT_EQ(missing.message.rfind("Cannot write the file " + (dir / "missing").string(), 0), 0U);

    std::filesystem::create_directory(dir / "taken.cap"); // a folder where the file should go
    EXPECT_FALSE(doc.Serialize((dir / "taken.cap").string()).saved);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.cap"));
    EXPECT_EQ(doc.CaptureLength(), 4U);
    ASSERT_TRUE(doc.Serialize((dir / "x.cap").string()).saved); // another try
    EXPECT_EQ(Slurp(dir / "x.cap"), "data");
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
