// The examination's stages, texts, table and close behaviour, driven tick by tick.

#include "examine/ExamineTool.h"
#include "examine/ExamineDirectory.h"
#include "examine/MemoryMap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace t8 {
namespace {

class ExamineToolTest : public ::testing::Test {
protected:
    std::string Write(const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void TearDown() override { std::remove(path.c_str()); }
    // Init and the three ticks that end an examination.
    static void Run(ExamineTool& tool) {
        tool.Init();
        for (int i = 0; i < 3; ++i) {
            tool.Tick();
        }
    }
    // The table as "area|length|checksum" rows, each ending in "*" when selected, else ";".
    static std::string Table(const ExamineTool& tool) {
        std::string table;
        for (const SegmentRow& row : tool.Rows()) {
            table += row.addressArea + "|" + row.binaryLength + "|" + row.checksum +
                     (row.selected ? "*" : ";");
        }
        return table;
    }

    // ctest runs tests in parallel processes: each needs a file of its own.
    std::string path =
        ::testing::TempDir() + "t8examine_tool_test_" + std::to_string(::getpid()) + ".dat";
};

// 0x10 bytes of 0x11 at 0x0000 and at 0x0100, then the end record.
const std::string kTwoRecords = ":1000000011111111111111111111111111111111E0\n"
                                ":1001000011111111111111111111111111111111DF\n:00000001FF\n";

TEST_F(ExamineToolTest, StagesFollowTheTicks) {
    ExamineTool tool(Write(kTwoRecords), {true, 0xFF});
    int changes = 0;
    tool.SetChangedCallback([&] { ++changes; });
    tool.Init();
    EXPECT_EQ(tool.UnusedSpaceText(), "Unused Space filled with : FF");
    EXPECT_EQ(tool.FileLengthText(), "100 bytes.");
    tool.Tick(); // the first tick only advances
    EXPECT_EQ(tool.StatusText(), "");
    tool.Tick();
    EXPECT_EQ(tool.StatusText(), "File recognized as Intel HEX file.");
    EXPECT_EQ(tool.BinaryLengthText(), "$00000110 ");
    EXPECT_EQ(tool.BinaryOffsetText(), "$00000000");
    EXPECT_EQ(tool.ChecksumText(), "");
    tool.Tick();
    EXPECT_TRUE(tool.Finished());
    EXPECT_EQ(tool.ChecksumText(), "$0000F130"); // 0x20 * 0x11 + 0xF0 * 0xFF
    EXPECT_EQ(Table(tool), "$00000000-$0000010F|272 bytes|$00000220*"
                           "$00000000-$0000010F - ALL SEGMENTS||$00000220;");
    EXPECT_EQ(changes, 3);

    ExamineTool unfilled(Write(kTwoRecords)); // the checksum is then the segments' total
    Run(unfilled);
    EXPECT_EQ(unfilled.UnusedSpaceText(), "Unused Space not filled.");
    EXPECT_EQ(unfilled.ChecksumText(), "$00000220");
}

TEST_F(ExamineToolTest, TwentySegmentsListSixteenAndTotalThose) {
    std::string text;
    for (int i = 0; i < 20; ++i) {
        char line[32];
        const int sum = 1 + (i * 2) + 1; // count 01, offset i*0x200, one byte 0x01
        std::snprintf(line, sizeof line, ":01%04X0001%02X\n", i * 0x200, (0x100 - sum) & 0xFF);
        text += line;
    }
    ExamineTool tool(Write(text));
    Run(tool);
    EXPECT_EQ(tool.SegmentCount(), 20U);
    ASSERT_EQ(tool.Rows().size(), 17U);
    EXPECT_EQ(tool.Rows().back().addressArea, "$00000000-$00001E00 - ALL SEGMENTS");
    EXPECT_EQ(tool.Rows().back().checksum, "$00000010");
    EXPECT_TRUE(tool.Rows()[16].selected);
}

TEST_F(ExamineToolTest, CloseCancelsOnlyWhileRecognitionIsDue) {
    ExamineTool early(Write(kTwoRecords));
    early.Init();
    EXPECT_EQ(early.Close(), ExamineTool::CloseResult::Close);

    ExamineTool due(path);
    due.Init();
    due.Tick();
    EXPECT_EQ(due.Close(), ExamineTool::CloseResult::StayOpen);
    EXPECT_EQ(due.StatusText(), "Examination canceled");
    due.Tick();
    EXPECT_EQ(due.BinaryOffsetText(), ""); // the file was never read
    EXPECT_EQ(due.Close(), ExamineTool::CloseResult::Close);
}

TEST_F(ExamineToolTest, FailuresEndWithoutSummary) {
    ExamineTool missing("/nonexistent/t8/x.hex");
    Run(missing);
    EXPECT_EQ(missing.FileLengthText(), "");
    EXPECT_EQ(missing.StatusText(), "Can not open file");
    EXPECT_EQ(missing.BinaryOffsetText(), "$FFFFFFFF");
    EXPECT_FALSE(missing.SummaryDone());

    ExamineTool broken(Write(":020100001234B8\n"));
    Run(broken);
    EXPECT_EQ(broken.StatusText(), "INTELHEX: Line checksum error at : 00000100 (B8!=B7)");
    EXPECT_EQ(broken.BinaryOffsetText(), "$00000000");
    EXPECT_EQ(broken.BinaryLengthText(), "");
    EXPECT_FALSE(broken.SummaryDone());
    EXPECT_TRUE(broken.Rows().empty());
}

TEST(MemoryMapTest, SegmentsToScaleWithAVisibleMinimum) {
    const std::vector<ImageSegment> segments = {
        {0x1000, 0x17FF, 0}, {0x1FFF, 0x1FFF, 0}, {0x0, 0x10, 0}};
    EXPECT_EQ(LayoutMemoryMap(segments, 0x1000, 0x1000, 100),
              (std::vector<MapBar>{{0, 50}, {99, 1}}));
    EXPECT_TRUE(LayoutMemoryMap(segments, 0, 0, 100).empty());
}

TEST(ExamineDirectoryTest, RemembersTheFolderWithoutSeparator) {
    for (const auto& [file, folder, start] : {std::tuple{"/data/x.hex", "/data", "/data/*.*"},
                                              {"/x.hex", "/", "/*.*"},
                                              {"x.hex", "", "*.*"}}) {
        EXPECT_EQ(ExamineDirectoryOf(file), folder);
        EXPECT_EQ(ExamineStartPath(folder), start);
    }
}

} // namespace
} // namespace t8
