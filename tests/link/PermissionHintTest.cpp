// A device the user may not open: the open-failure message says whose group owns it and how
// to join it. Run as root (CI), the refused opens happen in a child that has become "nobody";
// run as a normal user, in this process.
#include "tests/support/LinkTestSupport.h"
#include "tests/support/PtyPair.h"

#include "link/PermissionHint.h"
#include "link/SerialLink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace t8::test {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PermissionAdviceTest, EachSituationGetsItsOwnAdvice) {
    DeviceAccess access;
    access.path = "/dev/ttyUSB0";
    access.user = "op";
    access.owner = "root";
    access.group = "dialout";
    access.known = true;
    access.groupMayReadWrite = true;
    EXPECT_EQ(PermissionAdvice(access),
              "/dev/ttyUSB0 belongs to the group \"dialout\", and the user \"op\" is not in it.\n"
              "To join it: sudo adduser $USER dialout\nthen log out and log in again.");

    access.group = "uucp"; // the advice names the device's own group
    EXPECT_TRUE(Contains(PermissionAdvice(access), "sudo adduser $USER uucp\n"));

    access.inGroupAfterLogin = true; // added already: only a new login is missing
    std::string advice = PermissionAdvice(access);
    EXPECT_TRUE(Contains(advice, "was added to it after this session began: log out and log in"));
    EXPECT_FALSE(Contains(advice, "adduser"));

    access.inGroupNow = true; // a member, refused anyway: joining is no answer
    advice = PermissionAdvice(access);
    EXPECT_TRUE(Contains(advice, "is in the group \"uucp\" that owns /dev/ttyUSB0, yet"));
    EXPECT_FALSE(Contains(advice, "adduser"));

    access.inGroupNow = access.inGroupAfterLogin = false;
    access.groupMayReadWrite = false; // a group without read and write access
    advice = PermissionAdvice(access);
    EXPECT_TRUE(Contains(advice, "Only the user \"root\" may open /dev/ttyUSB0"));
    EXPECT_FALSE(Contains(advice, "adduser"));

    access.owner = "op";
    EXPECT_TRUE(Contains(PermissionAdvice(access), "The user \"op\" owns /dev/ttyUSB0, but"));

    access.known = false;
    EXPECT_EQ(PermissionAdvice(access),
              "A folder on the way to /dev/ttyUSB0 is closed to the user \"op\".");
}

TEST(PermissionAdviceTest, OnlyPermissionErrorsGetAdvice) {
    for (const int error : {0, ENOENT, EBUSY, ENODEV, EIO}) {
        EXPECT_EQ(PermissionHint("/dev/ttyUSB0", LinkError::FromErrno(error)), "") << error;
    }
    EXPECT_EQ(PermissionHint("", LinkError::FromErrno(EACCES)), "");
    EXPECT_NE(PermissionHint("/no/such/folder/tty", LinkError::FromErrno(EACCES)), "");
    EXPECT_NE(PermissionHint("/no/such/folder/tty", LinkError::FromErrno(EPERM)), "");
}

// The message a link shows after failing to open `path` as the user this process runs as.
std::string OpenFailure(const std::string& path) {
    RecordingUi ui;
    RecordingTarget target;
    SerialLink link(ui, target);
    if (link.CreateLinkRecord() != 1) {
        return "no record";
    }
    link.SetPortOverride(path);
    return link.OpenPort() == 0 ? link.OpenFailureMessage() : "opened " + path;
}

struct Unprivileged {
    uid_t uid = 65534;
    gid_t gid = 65534;
    std::string name = "65534";
};

Unprivileged Nobody() {
    Unprivileged nobody;
    if (const passwd* entry = getpwnam("nobody")) {
        nobody = {entry->pw_uid, entry->pw_gid, entry->pw_name};
    }
    return nobody;
}

// Each path's open-failure message, from a child that has given up root for `who`.
std::vector<std::string> OpenFailuresAs(const Unprivileged& who,
                                        const std::vector<std::string>& paths) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {"pipe failed"};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string out;
        if (setgroups(0, nullptr) != 0 || setgid(who.gid) != 0 || setuid(who.uid) != 0) {
            out = std::string("cannot become nobody: ") + std::strerror(errno) + '\0';
        } else {
            for (const std::string& path : paths) {
                out += OpenFailure(path) + '\0';
            }
        }
        const bool written =
            write(channel[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    std::string all;
    char buffer[4096];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        all.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    std::vector<std::string> messages;
    for (std::size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos;
         start = end + 1) {
        messages.push_back(all.substr(start, end - start));
    }
    return messages;
}

std::string GroupOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return "?";
    }
    const group* entry = getgrgid(info.st_gid);
    return entry ? entry->gr_name : std::to_string(info.st_gid);
}

// A gid that no group has a name for.
gid_t UnnamedGid() {
    gid_t gid = 54321;
    while (getgrgid(gid) != nullptr) {
        ++gid;
    }
    return gid;
}

class RefusedOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Under /tmp, not $TMPDIR: the unprivileged child must be able to reach it.
        char pattern[] = "/tmp/t8permXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
        closedDevice = MakeFile("closed/ttyS9", 0660);
        fs::permissions(dir / "closed", fs::perms::none); // nobody may search the folder
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir / "closed", fs::perms::owner_all, ignored);
        fs::remove_all(dir, ignored);
    }

    std::string MakeFile(const std::string& name, mode_t mode) {
        const fs::path path = dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path).put('\n');
        chmod(path.c_str(), mode);
        return path.string();
    }

    fs::path dir;
    std::string closedDevice;
};

TEST_F(RefusedOpenTest, MessageNamesTheGroupOwningTheDevice) {
    if (geteuid() != 0) {
        // As a normal user: a folder closed to its owner; the shadow file is the system's own
        // file of a group such a user is not in.
        const std::string me = getpwuid(geteuid())->pw_name;
        const std::string closed = OpenFailure(closedDevice);
        EXPECT_TRUE(Contains(closed, closedDevice + ": Permission denied\nA folder on the way to " +
                                         closedDevice + " is closed to the user \"" + me + "\"."))
            << closed;
        if (fs::exists("/etc/shadow") && access("/etc/shadow", R_OK) != 0) {
            const std::string shadow = OpenFailure("/etc/shadow");
            EXPECT_TRUE(Contains(shadow, "group \"" + GroupOf("/etc/shadow") + "\"")) << shadow;
        }
        return;
    }
    const Unprivileged nobody = Nobody();
    const group* named = getgrnam("dialout");
    named = named ? named : getgrnam("tty");
    ASSERT_NE(named, nullptr);
    const std::string namedGroup = named->gr_name;
    const gid_t namedGid = named->gr_gid;
    const gid_t unnamedGid = UnnamedGid();

    const std::string namedDevice = MakeFile("ttyUSB0", 0660);
    const std::string unnamedDevice = MakeFile("ttyACM0", 0660);
    const std::string ownerOnly = MakeFile("ttyS0", 0600);
    ASSERT_EQ(chown(namedDevice.c_str(), 0, namedGid), 0);
    ASSERT_EQ(chown(unnamedDevice.c_str(), 0, unnamedGid), 0);
    ASSERT_EQ(chown(ownerOnly.c_str(), 0, namedGid), 0);
    PtyPair pty; // a real terminal device, owned by root: its group is the system's choice
    ASSERT_TRUE(pty.Ok());

    const std::vector<std::string> messages = OpenFailuresAs(
        nobody, {namedDevice, unnamedDevice, ownerOnly, closedDevice, pty.SlavePath()});
    ASSERT_EQ(messages.size(), 5u) << (messages.empty() ? "" : messages[0]);
    const std::string user = "the user \"" + nobody.name + "\"";

    EXPECT_EQ(messages[0], "Cannot create connection via port " + namedDevice + "!\n" +
                               namedDevice + " don't exist or is used by another application.\n\n" +
                               namedDevice + ": Permission denied\n" + namedDevice +
                               " belongs to the group \"" + namedGroup + "\", and " + user +
                               " is not in it.\nTo join it: sudo adduser $USER " + namedGroup +
                               "\nthen log out and log in again.");
    EXPECT_TRUE(Contains(messages[1], "belongs to the group \"" + std::to_string(unnamedGid) +
                                          "\", and " + user + " is not in it"))
        << messages[1];
    EXPECT_TRUE(Contains(messages[2], "Only the user \"root\" may open " + ownerOnly +
                                          ": its group \"" + namedGroup + "\" may not"))
        << messages[2];
    EXPECT_TRUE(
        Contains(messages[3], "A folder on the way to " + closedDevice + " is closed to " + user))
        << messages[3];
    EXPECT_TRUE(Contains(messages[4], pty.SlavePath() + ": Permission denied\n"));
    EXPECT_TRUE(Contains(messages[4], "group \"" + GroupOf(pty.SlavePath()) + "\"")) << messages[4];
}

} // namespace
} // namespace t8::test
