#include "settings/SettingsStore.h"
#include "settings/StoredValue.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace t8 {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Every key of the store under the name it must have ("section/key"), in the store's order.
// clang-format off
const Entries kEveryKey = {
    {"TTY/Font", "DejaVu Sans Mono"}, {"TTY/Heigth", "-16"}, {"TTY/BackColor", "12632256"},
    {"TTY/FontColor", "255"}, {"TTY/Width", "8"}, {"TTY/Quality", "3"}, {"TTY/Pitch", "49"},
    {"TTY/CharSet", "511"}, {"TTY/ClipPrecision", "2"}, {"TTY/Escapement", "900"},
    {"TTY/Italic", "1"}, {"TTY/Orientation", "450"}, {"TTY/OutPrecision", "3"},
    {"TTY/StrikeOut", "1"}, {"TTY/Underline", "1"}, {"TTY/Weight", "700"},
    {"TTY/Timestamps", "1"}, {"TTY/CaptureTimestamps", "1"},
    {"COM/Port", "257"}, {"COM/Active", "0"}, {"COM/XonXoff", "1"}, {"COM/LocalEcho", "1"},
    {"COM/NewLine", "1"}, {"COM/AutoWrap", "0"}, {"COM/ByteSize", "7"}, {"COM/FlowCtrl", "7"},
    {"COM/Parity", "2"}, {"COM/StopBits", "2"}, {"COM/Reconnect", "0"}, {"COM/BautRate", "9600"},
    {"COM/Device", "/dev/pts/7"},
    {"LPT/Port", "2"}, {"LPT/Active", "1"}, {"LPT/LocalEcho", "1"}, {"LPT/NewLine", "1"},
    {"LPT/AutoWrap", "0"}, {"LPT/ByteWidth", "16"},
    {"USB/Active", "1"}, {"USB/LocalEcho", "1"}, {"USB/NewLine", "1"}, {"USB/AutoWrap", "0"},
    {"DIRS/DownloadDirectory", "/d/down"}, {"DIRS/DownloadFilter", "*.ihx"},
    {"DIRS/DownloadFilterName", "Intel (*.ihx)"}, {"DIRS/UploadDirectory", "/d/up"},
    {"DIRS/UploadFilter", "*.s19"}, {"DIRS/UploadFilterName", "S-records (*.s19)"},
    {"DIRS/LibraryDirectory", "/d/lib"}, {"DIRS/LibraryFilter", "*.lib"},
    {"DIRS/LibraryFilterName", "Libraries (*.lib)"}, {"DIRS/BatchDirectory", "/d/batch"},
    {"Settings/FillUnused", "1"}, {"Settings/FillPattern", "255"}};
// clang-format on

// INI text as an editor would write it, one "[section]" line per run of keys.
std::string IniText(const Entries& entries) {
    std::string text;
    std::string section;
    for (const auto& [path, value] : entries) {
        const std::size_t slash = path.find('/');
        if (path.substr(0, slash) != section) {
            section = path.substr(0, slash);
            text += "[" + section + "]\n";
        }
        text += path.substr(slash + 1) + "=" + value + "\n";
    }
    return text;
}

// The persisted integer fields of the record, in one comparable list.
std::vector<std::int64_t> Persisted(const TTYInfo& t) {
    // clang-format off
    return {t.com.comPort, t.com.comActive, t.line.comXonXoff, t.com.comLocalEcho,
            t.com.comNewLine, t.com.comAutoWrap, t.com.byteSize, t.com.flowCtrl, t.com.parity,
            t.com.stopBits, t.com.baudRate, t.otherPorts.lptPort, t.otherPorts.lptByteWidth,
            t.otherPorts.lptActive, t.otherPorts.lptLocalEcho, t.otherPorts.lptNewLine,
            t.otherPorts.lptAutoWrap, t.otherPorts.usbActive, t.otherPorts.usbLocalEcho,
            t.otherPorts.usbNewLine, t.otherPorts.usbAutoWrap, t.look.textColour,
            t.look.backColour, t.fill.unused, t.fill.pattern, t.com.comReconnect,
            t.look.timestamps, t.look.captureTimestamps};
    // clang-format on
}

class SettingsStoreTest : public ::testing::Test {
protected:
    [[nodiscard]] QString Path() const { return dir.filePath("T8HostLink.ini"); }
    void WriteIni(const std::string& text) const {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    StoreStatus Load() { return SettingsStore(Path()).LoadSettings(tty, dirs); }
    // A copy under a new name, so that the INI text is parsed again rather than served from
    // the cache QSettings keeps per file.
    [[nodiscard]] QString FreshCopy(const QString& path) const {
        const QString copy = path + QString::number(++copies);
        QFile::copy(path, copy);
        return copy;
    }

    QTemporaryDir dir;
    mutable int copies = 0;
    TTYInfo tty;
    DirectorySettings dirs = DirectorySettings::ForStartDirectory("/start");
};

TEST_F(SettingsStoreTest, EmptyStoreKeepsTheDefaults) {
    tty.screen.caretShown = 1;
    EXPECT_TRUE(Load().ok);
    EXPECT_EQ(Persisted(tty), Persisted(TTYInfo{}));
    EXPECT_EQ(tty.look.logFont, LogFont{});
    EXPECT_EQ(tty.screen.caretShown, 0);
    EXPECT_EQ(dirs, DirectorySettings::ForStartDirectory("/start"));
}

// A hand-written file fills every field. A save right after the load writes back what was
// read, but for what the load rules changed; loading that again gives the same record, with
// XON/XOFF gone once more.
TEST_F(SettingsStoreTest, HandWrittenFileFillsEveryFieldAndSurvivesASaveAndLoad) {
    WriteIni(IniText(kEveryKey));
    ASSERT_TRUE(Load().ok);
    const std::vector<std::int64_t> expected = {1,    0,   0,        1, 1,   0, 7, 3, 2, 2,
                                                9600, 2,   16,       1, 1,   1, 0, 1, 1, 1,
                                                0,    255, 12632256, 1, 255, 0, 1, 1};
    EXPECT_EQ(Persisted(tty), expected); // Port 257 cut to 1, XON/XOFF dropped from both
    const LogFont font{-16, 8, 900, 450, 700, 1, 1, 1, 255, 3, 2, 3, 49, "DejaVu Sans Mono"};
    EXPECT_EQ(tty.look.logFont, font);
    EXPECT_EQ(tty.com.devicePath, "/dev/pts/7");
    const DirectorySettings expectedDirs{
        "/d/down", "*.ihx", "Intel (*.ihx)",     "/d/lib",  "*.lib", "Libraries (*.lib)",
        "/d/up",   "*.s19", "S-records (*.s19)", "/d/batch"};
    EXPECT_EQ(dirs, expectedDirs);

    tty.line.comXonXoff = 1, tty.com.flowCtrl = 7; // written as they are
    tty.look.backColour = 0xFFFFFFFF, dirs.uploadFilterName = "U, (*.u)";
    const QString savedPath = dir.filePath("saved.ini");
    QSettings injected(savedPath, QSettings::IniFormat);
    ASSERT_TRUE(SettingsStore(injected).SaveSettings(tty, dirs).ok);

    const QSettings saved(FreshCopy(savedPath), QSettings::IniFormat);
    ASSERT_EQ(saved.allKeys().size(), static_cast<qsizetype>(kEveryKey.size()));
    const std::map<std::string, std::string> changed = {{"COM/Port", "1"},
                                                        {"TTY/CharSet", "255"},
                                                        {"TTY/BackColor", "-1"},
                                                        {"DIRS/UploadFilterName", "U, (*.u)"}};
    for (const auto& [key, value] : kEveryKey) {
        const auto it = changed.find(key);
        EXPECT_EQ(saved.value(QString::fromStdString(key)).toString().toStdString(),
                  it != changed.end() ? it->second : value)
            << key;
    }

    TTYInfo loaded;
    DirectorySettings loadedDirs;
    ASSERT_TRUE(SettingsStore(FreshCopy(savedPath)).LoadSettings(loaded, loadedDirs).ok);
    tty.line.comXonXoff = 0, tty.com.flowCtrl = 3;
    EXPECT_EQ(Persisted(loaded), Persisted(tty));
    EXPECT_EQ(loaded.look.logFont, tty.look.logFont);
    EXPECT_EQ(loaded.com.devicePath, tty.com.devicePath);
    EXPECT_EQ(loadedDirs, dirs);
}

TEST_F(SettingsStoreTest, BaudRateTakesTheLeadingNumber) {
    const std::vector<std::pair<std::string, std::uint32_t>> cases = {
        {"9600", 9600}, {"+57600", 57600}, {"19200baud", 19200},        {"baud9600", 0},
        {"", 0},        {"-9600", 0},      {"99999999999", 2147483647}, {"\"  14400\"", 14400}};
    for (const auto& [text, rate] : cases) {
        WriteIni("[COM]\nBautRate=" + text + "\n");
        tty.com.baudRate = kDefaultBaudRate;
        ASSERT_TRUE(Load().ok);
        EXPECT_EQ(tty.com.baudRate, rate) << text;
        QFile::remove(Path());
    }
}

// Network addresses used before: kept in one key that is written only when there are any, so a
// store without them stays byte for byte as it was.
TEST_F(SettingsStoreTest, RecentAddressesAreStoredOnlyWhenThereAreAny) {
    WriteIni("[COM]\nRecentAddresses=tcp://rack:7000 /etc/passwd rfc2217://lab:4001 ftp://x:1\n");
    ASSERT_TRUE(Load().ok);
    EXPECT_EQ(tty.com.recentAddresses,
              (std::vector<std::string>{"tcp://rack:7000", "rfc2217://lab:4001"}));
    ASSERT_TRUE(SettingsStore(Path()).SaveSettings(tty, dirs).ok);
    EXPECT_EQ(QSettings(FreshCopy(Path()), QSettings::IniFormat).value("COM/RecentAddresses"),
              QVariant("tcp://rack:7000 rfc2217://lab:4001"));
    tty.com.recentAddresses.clear();
    ASSERT_TRUE(SettingsStore(Path()).SaveSettings(tty, dirs).ok);
    EXPECT_FALSE(
        QSettings(FreshCopy(Path()), QSettings::IniFormat).contains("COM/RecentAddresses"));
}

TEST_F(SettingsStoreTest, UnusableValuesNeverBreakTheLoad) {
    const std::string longPath(kMaxStoredText + 1, 'p');
    // clang-format off
    WriteIni(IniText({
        {"TTY/Font", std::string(100, 'F')}, // cut to the record's 31 characters
        {"TTY/Heigth", "abc"}, {"TTY/Width", "99999999999"}, {"TTY/Escapement", "1.5"}, // kept
        {"TTY/Weight", "-700"}, {"TTY/Orientation", "4294967295"}, // any 32-bit value goes
        {"COM/Port", "300"}, {"COM/ByteSize", "-1"},                // the low 8 bits
        {"COM/LocalEcho", ""}, {"Settings/FillPattern", "4294967296"}, // kept
        {"Settings/FillUnused", "-1"},
        {"COM/Device", longPath}, {"DIRS/BatchDirectory", longPath}, // kept
        {"DIRS/DownloadDirectory", "/a, b"}})); // unquoted, the INI reader splits it
    // clang-format on
    ASSERT_TRUE(Load().ok);
    EXPECT_EQ(tty.look.logFont, (LogFont{0, 9, 0, -1, -700, 0, 0, 0, kCharSetOem, 0, 0, 0, 0x31,
                                         std::string(kFaceNameMax, 'F')}));
    EXPECT_EQ(tty.com.comPort, 44);
    EXPECT_EQ(tty.com.byteSize, 255);
    EXPECT_EQ(tty.com.comLocalEcho, 0u);
    EXPECT_EQ(tty.fill.pattern, 0u);
    EXPECT_EQ(tty.fill.unused, 0xFFFFFFFFu);
    EXPECT_EQ(tty.com.devicePath, "");
    EXPECT_EQ(dirs.batchDirectory, "/start");
    EXPECT_EQ(dirs.downloadDirectory, "/a, b");
}

TEST(StoredValueTest, FaceNameStopsAtZeroAndNeverSplitsACharacter) {
    EXPECT_EQ(FitFaceName(QString::fromUtf8("Mono\0Bold", 9)), "Mono");
    const QString wide = QString(30, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80"); // 31st + 32nd
    EXPECT_EQ(FitFaceName(wide), std::string(30, 'a'));
    EXPECT_EQ(FitFaceName(QString(31, u'b')), std::string(31, 'b'));
}

TEST_F(SettingsStoreTest, UnreadableOrUnwritableStoreIsReportedNotFatal) {
    const StoreStatus read = SettingsStore(dir.path()).LoadSettings(tty, dirs); // a folder
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.message.find(dir.path().toStdString()), std::string::npos);
    EXPECT_EQ(Persisted(tty), Persisted(TTYInfo{}));

    WriteIni("[COM]\nPort=3\n");
    const StoreStatus write = SettingsStore(Path() + "/inside.ini").SaveSettings(tty, dirs);
    EXPECT_FALSE(write.ok);
    EXPECT_NE(write.message.find("not saved"), std::string::npos);
}

} // namespace
} // namespace t8
