// Saving over what a folder may hold: links, hard links, modes, neighbours with names like the
// temporary one, a folder that refuses new files and a disk that fills up.

#include "transfer/save/SaveFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

namespace t8::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class SaveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "t8save-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    static SaveResult Save(const fs::path& path, std::string_view text) {
        return SaveFile(path.string(),
                        {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    static void Put(const fs::path& path, std::string_view text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    [[nodiscard]] std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    // Runs `save` in a child process, as an ordinary user when `unprivileged` (root writes
    // anywhere) and with files limited to `fileLimit` bytes (a full disk); returns its result.
    SaveResult InChild(const std::function<SaveResult()>& save, bool unprivileged,
                       rlim_t fileLimit = RLIM_INFINITY) {
        if (unprivileged && ::geteuid() == 0) {
            EXPECT_EQ(::chown(dir.c_str(), kNobody, kNobody), 0);
        }
        int pipeFds[2];
        EXPECT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            std::signal(SIGXFSZ, SIG_IGN); // an over-long write fails with EFBIG instead
            const rlimit limit{fileLimit, fileLimit};
            const bool ready = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
                               (!unprivileged || ::geteuid() != 0 ||
                                (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0));
            const SaveResult result = ready ? save() : SaveResult{false, false, "no set-up", {}};
            const std::string report = (result.saved ? "1" : "0") +
                                       std::string(result.inPlace ? "1" : "0") + result.message;
            const bool sent = ::write(pipeFds[1], report.data(), report.size()) ==
                              static_cast<ssize_t>(report.size());
            ::_exit(sent ? 0 : 1);
        }
        ::close(pipeFds[1]);
        std::string report;
        char buffer[256];
        for (ssize_t n = 0; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
            report.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0 && report.size() >= 2);
        report.resize(std::max<std::size_t>(report.size(), 2), '0');
        return {report[0] == '1', report[1] == '1', report.substr(2), {}};
    }
    fs::path dir;
};

TEST_F(SaveFileTest, ReplacesWholeKeepingModeAndNeighbours) {
    Put(dir / "t.hex", "old content, longer than the new");
    fs::permissions(dir / "t.hex",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Put(dir / "t.hex.part", "a file of the operator's");
    Put(dir / ".t.hex.abcdefgh", "another");
    const SaveResult result = Save(dir / "t.hex", "new");
    EXPECT_TRUE(result.saved && !result.inPlace && result.message.empty()) << result.message;
    EXPECT_EQ(ReadFile(dir / "t.hex"), "new");
    EXPECT_EQ(fs::status(dir / "t.hex").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ReadFile(dir / "t.hex.part"), "a file of the operator's");
    EXPECT_EQ(ReadFile(dir / ".t.hex.abcdefgh"), "another");

    // A new file gets the mode any new file of the folder gets; a long name still saves.
    const std::string longName(250, 'n');
    ASSERT_TRUE(Save(dir / longName, "x").saved);
    Put(dir / "reference", "");
    EXPECT_EQ(fs::status(dir / longName).permissions(),
              fs::status(dir / "reference").permissions());
    EXPECT_EQ(Names(), (std::set<std::string>{"t.hex", "t.hex.part", ".t.hex.abcdefgh", longName,
                                              "reference"}));
}

TEST_F(SaveFileTest, FollowsLinksAndKeepsThem) {
    fs::create_directory(dir / "data");
    Put(dir / "data" / "real.hex", "old");
    fs::create_symlink("data/real.hex", dir / "relative");
    fs::create_symlink(dir / "relative", dir / "absolute"); // a chain of two
    fs::create_symlink("data/made.hex", dir / "dangling");
    ASSERT_TRUE(Save(dir / "absolute", "new").saved);
    ASSERT_TRUE(Save(dir / "dangling", "made").saved);
    EXPECT_TRUE(fs::is_symlink(dir / "absolute") && fs::is_symlink(dir / "relative") &&
                fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(ReadFile(dir / "data" / "real.hex"), "new");
    EXPECT_EQ(ReadFile(dir / "data" / "made.hex"), "made");

    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    const SaveResult loop = Save(dir / "loop-a", "x");
    EXPECT_FALSE(loop.saved);
    EXPECT_EQ(loop.message,
              "Cannot write the file " + (dir / "loop-a").string() + ":\n" + std::strerror(ELOOP));
    EXPECT_FALSE(Save(dir / "data", "x").saved) << "a folder is not overwritten";
    EXPECT_EQ(Names(), (std::set<std::string>{"data", "relative", "absolute", "dangling", "loop-a",
                                              "loop-b"}));
}

TEST_F(SaveFileTest, KeepsHardLinks) {
    Put(dir / "a.hex", "old");
    fs::create_hard_link(dir / "a.hex", dir / "b.hex");
    for (const std::string_view text : {"longer than before", "short"}) {
        const SaveResult result = Save(dir / "a.hex", text);
        EXPECT_TRUE(result.saved && result.inPlace && result.message.empty());
        EXPECT_EQ(ReadFile(dir / "b.hex"), text);
    }
    EXPECT_EQ(fs::hard_link_count(dir / "a.hex"), 2U);
}

TEST_F(SaveFileTest, AFolderRefusingNewFilesIsWrittenInPlaceAndSaid) {
    const SaveResult result = InChild(
        [&] {
            Put(dir / "kept.hex", "old content, longer than the new");
            Put(dir / "locked.hex", "locked");
            fs::permissions(dir / "locked.hex", fs::perms::owner_read);
            fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
            if (Save(dir / "new.hex", "x").saved || Save(dir / "locked.hex", "x").saved) {
                return SaveResult{false, false, "saved what it cannot", {}};
            }
            return Save(dir / "kept.hex", "new");
        },
        true);
    EXPECT_TRUE(result.saved && result.inPlace);
    EXPECT_EQ(result.message, (dir / "kept.hex").string() +
                                  " was overwritten in place: its folder does not allow new "
                                  "files, so it could not be replaced as a whole.");
    EXPECT_EQ(ReadFile(dir / "kept.hex"), "new");
    EXPECT_EQ(ReadFile(dir / "locked.hex"), "locked");
}

// A full disk, played by a file-size limit: the old file is never cut short.
TEST_F(SaveFileTest, AFullDiskFailsWithTheFileAsItWas) {
    const std::string old = "old content";
    Put(dir / "whole.hex", old);
    Put(dir / "linked.hex", old);
    fs::create_hard_link(dir / "linked.hex", dir / "twin.hex");
    const std::string big(64 * 1024, 'x');
    for (const char* name : {"whole.hex", "linked.hex"}) {
        const SaveResult result = InChild([&] { return Save(dir / name, big); }, false, 4096);
        EXPECT_FALSE(result.saved);
        EXPECT_NE(result.message.find(std::strerror(EFBIG)), std::string::npos) << result.message;
        EXPECT_EQ(ReadFile(dir / name), old);
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"whole.hex", "linked.hex", "twin.hex"}));

    fs::create_symlink("/dev/full", dir / "full");
    const SaveResult full = Save(dir / "full", "data");
    EXPECT_FALSE(full.saved);
    EXPECT_NE(full.message.find(std::strerror(ENOSPC)), std::string::npos) << full.message;
    EXPECT_TRUE(fs::is_symlink(dir / "full") && fs::is_character_file("/dev/full"));
}

} // namespace
} // namespace t8::test
