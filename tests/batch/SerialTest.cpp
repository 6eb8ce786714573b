// The serial-number file: what it refuses (naming the line), how numbers are encoded, how it
// is written back, and reservations taken by threads at once that never share a number.

#include "tests/support/TempFolder.h"
#include "tools/t8batch/serial/SerialFile.h"
#include "tools/t8batch/serial/SerialReservation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <set>
#include <thread>

namespace t8 {
namespace {

const std::string kSound = "# line 3\nnext = 1000  # the next part\nstep = 1\naddress = 0x7FF0\n"
                           "bytes = 4\nencoding = little\n";

TEST(SerialFileTest, RefusesWhatCannotBeUsedAndNamesTheLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"next = 1000\naddress = 16\nbytes = 4\n", "no line \"encoding"},
        {"address = 16\nbytes = 4\nencoding = big\n", "no line \"next"},
        {"next = -3\naddress = 16\nbytes = 4\nencoding = big\n", "line 1: next is negative"},
        {"next = 70000\naddress = 16\nbytes = 2\nencoding = little\n",
         "line 1: the number 70000 does not fit in 2"},
        {"next = 1\naddress = 16\nbytes = 9\nencoding = big\n",
         "line 3: bytes = 9 is more than a 64-bit big"},
        {"next = 1\n\naddress = 0x1_0\n", "line 3: address = 0x1_0 is not a whole number"},
        {"next = 99999999999999999999\n", "line 1: next = 99999999999999999999 is not"},
        {"next = 1\nnext = 2\n", "line 2: next is given twice"},
        {"next = 1\nserial = 2\n", "line 2: unknown key \"serial\""},
        {"next 1\n", "line 1: \"next 1\" is not key = value"},
        {"next = 1\n\x7F\xFE\x01\n", "line 2: the line (bytes that are not text) is not"},
        {"next = 1\nstep = 0\n", "line 2: step must be at least 1"},
        {"next = 1\nencoding = utf8\n", "line 2: encoding takes little, big, bcd or ascii"},
        {"next = 1\naddress = 0xFFFFFFFE\nbytes = 4\nencoding = big\n", "line 2: address + bytes"},
        {"next = 1\naddress = 0\nbytes = 1\nencoding = big\nreturned = 700, 300\n",
         "line 5: the number 300 does not fit in 1 byte"},
        {"next = 1\nreturned = 5, -6\n", "line 2: a number is negative: -6"},
        {"next = 1\nreturned = ,,3\n", "line 2: returned has an empty entry"},
        {std::string("next = 1\x00\x01\n", 12), "line 1: it holds a NUL byte"},
        {"", "no line \"next"},
    };
    for (const auto& [text, problem] : cases) {
        SCOPED_TRACE(text);
        EXPECT_NE(ParseSerialFile(text).problem.find(problem), std::string::npos)
            << ParseSerialFile(text).problem;
    }
    EXPECT_EQ(ParseSerialFile(kSound).problem, "");
}

TEST(SerialFileTest, EncodesEachWayAndRefusesWhatDoesNotFit) {
    SerialSettings s;
    const auto encode = [&s](SerialEncoding encoding, unsigned bytes, std::uint64_t number) {
        s.encoding = encoding;
        s.bytes = bytes;
        std::string problem;
        return EncodeSerial(number, s, problem);
    };
    using V = std::vector<std::uint8_t>;
    EXPECT_EQ(encode(SerialEncoding::Little, 4, 0x12345678), (V{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(encode(SerialEncoding::Big, 3, 0x12345), (V{0x01, 0x23, 0x45}));
    EXPECT_EQ(encode(SerialEncoding::Bcd, 3, 1234), (V{0x00, 0x12, 0x34}));
    EXPECT_EQ(encode(SerialEncoding::Ascii, 5, 42), (V{'0', '0', '0', '4', '2'}));
    EXPECT_EQ(encode(SerialEncoding::Little, 8, UINT64_MAX), V(8, 0xFF));
    EXPECT_EQ(encode(SerialEncoding::Big, 1, 255), V{0xFF});
    EXPECT_TRUE(encode(SerialEncoding::Big, 1, 256).empty());
    EXPECT_TRUE(encode(SerialEncoding::Bcd, 2, 10000).empty());
    EXPECT_TRUE(encode(SerialEncoding::Ascii, 2, 100).empty());
}

TEST(SerialFileTest, WritingBackKeepsCommentsAndChangesOnlyTheNumbers) {
    SerialSettings s = ParseSerialFile(kSound).settings;
    EXPECT_EQ(RenderSerialFile(kSound, s), kSound + "");
    s.next = 1003;
    s.returned = {1001, 1002};
    const std::string written = RenderSerialFile(kSound, s);
    EXPECT_NE(written.find("next = 1003  # the next part\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("# line 3\n"), 0U);
    const SerialParse again = ParseSerialFile(written);
    ASSERT_EQ(again.problem, "");
    EXPECT_EQ(again.settings.next, 1003U);
    EXPECT_EQ(again.settings.returned, s.returned);
    s.returned.clear();
    EXPECT_TRUE(ParseSerialFile(RenderSerialFile(written, s)).settings.returned.empty());
    EXPECT_EQ(ParseSerialFile(RenderSerialFile("next=1\naddress=0\nbytes=1\nencoding=big", s))
                  .settings.next,
              1003U);
    // a file with CR LF line ends gains its new lines with the same ends
    s.returned = {1001, 1002};
    EXPECT_EQ(RenderSerialFile("next = 1\r\naddress = 0\r\nbytes = 1\r\nencoding = big\r\n", s),
              "next = 1003\r\naddress = 0\r\nbytes = 1\r\nencoding = big\r\nreturned = 1001, "
              "1002\r\n");
}

class SerialReservationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.Ok());
        std::ofstream(path) << kSound;
    }
    SerialSettings Read() const { return ParseSerialFile(test::ReadFile(path)).settings; }
    test::TempFolder dir;
    std::string path = dir.Path("serial.txt");
};

TEST_F(SerialReservationTest, ThreadsAtOnceNeverShareANumberAndFailuresComeBackFirst) {
    constexpr int kThreads = 4;
    constexpr int kRuns = 25;
    std::mutex guard;
    std::multiset<std::uint64_t> passed;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int run = 0; run < kRuns; ++run) {
                SerialReservation reservation(path);
                ASSERT_EQ(reservation.Reserve(), "");
                const bool pass = (run + t) % 3 != 0;
                ASSERT_EQ(reservation.Finish(pass), "");
                if (pass) {
                    const std::lock_guard lock(guard);
                    passed.insert(*reservation.Number());
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const SerialSettings end = Read();
    EXPECT_TRUE(end.reserved.empty());
    // Every number handed out from next was taken by exactly one passed part, or handed back.
    std::multiset<std::uint64_t> accounted(passed.begin(), passed.end());
    accounted.insert(end.returned.begin(), end.returned.end());
    std::multiset<std::uint64_t> handedOut;
    for (std::uint64_t n = 1000; n < end.next; ++n) {
        handedOut.insert(n);
    }
    EXPECT_EQ(accounted, handedOut);

    SerialReservation first(path);
    ASSERT_EQ(first.Reserve(), "");
    if (!end.returned.empty()) {
        EXPECT_EQ(*first.Number(), *std::min_element(end.returned.begin(), end.returned.end()));
    }
    SerialReservation second(path); // while the first is in flight
    ASSERT_EQ(second.Reserve(), "");
    EXPECT_NE(*second.Number(), *first.Number());
    EXPECT_EQ(Read().reserved, (std::vector<std::uint64_t>{*first.Number(), *second.Number()}));
}

TEST_F(SerialReservationTest, AFileThatCannotBeUsedTakesNoNumber) {
    std::ofstream(path) << "next = 65535\nstep = 1\naddress = 0\nbytes = 2\nencoding = big\n";
    SerialReservation last(path);
    ASSERT_EQ(last.Reserve(), "");
    SerialReservation over(path);
    EXPECT_NE(over.Reserve().find("65536 does not fit in 2 bytes"), std::string::npos);
    EXPECT_FALSE(over.Number());
    EXPECT_EQ(Read().next, 65536U);    // the refused one changed nothing
    EXPECT_EQ(last.Finish(false), ""); // the last number still comes back, and is used again
    SerialReservation again(path);
    ASSERT_EQ(again.Reserve(), "");
    EXPECT_EQ(again.Number(), 65535U);
    for (const char* special : {"/dev/null", "/nonexistent/serial.txt"}) {
        SerialReservation reservation(special);
        EXPECT_NE(reservation.Reserve(), "") << special;
        EXPECT_FALSE(reservation.Number());
    }
    SerialReservation folder(dir.Path(""));
    EXPECT_NE(folder.Check(), "");
}

} // namespace
} // namespace t8
