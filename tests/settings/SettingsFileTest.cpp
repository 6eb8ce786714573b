#include "link/LineSettings.h"
#include "settings/SettingsSchema.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

// The settings file a fully populated record gives, byte for byte, is the fixture
// tests/settings/FullRecord.ini. It was written by the store before the record was split into
// sub-records, so it holds every existing file to its keys, order and value texts. The record
// is filled and compared through the schema and the store, never by field name, so this test
// reads the same whatever the record's layout.

namespace t8 {
namespace {

// A value unlike the default for every integer key of the schema ("section/key").
// clang-format off
const std::map<std::string, std::uint32_t> kIntValues = {
    {"TTY/Heigth", static_cast<std::uint32_t>(-16)}, {"TTY/BackColor", 0xC0C0C0},
    {"TTY/FontColor", 0x000080}, {"TTY/Width", 8}, {"TTY/Quality", 3}, {"TTY/Pitch", 0x22},
    {"TTY/CharSet", 0}, {"TTY/ClipPrecision", 2},
    {"TTY/Escapement", static_cast<std::uint32_t>(-900)}, {"TTY/Italic", 1},
    {"TTY/Orientation", 450}, {"TTY/OutPrecision", 3}, {"TTY/StrikeOut", 1},
    {"TTY/Underline", 1}, {"TTY/Weight", 700}, {"TTY/Timestamps", 1},
    {"TTY/CaptureTimestamps", 1},
    {"COM/Port", 3}, {"COM/Active", 0}, {"COM/XonXoff", 1}, {"COM/LocalEcho", 1},
    {"COM/NewLine", 1}, {"COM/AutoWrap", 0}, {"COM/ByteSize", 7}, {"COM/FlowCtrl", 7},
    {"COM/Parity", 2}, {"COM/StopBits", 2}, {"COM/Reconnect", 0},
    {"LPT/Port", 2}, {"LPT/Active", 1}, {"LPT/LocalEcho", 1}, {"LPT/NewLine", 1},
    {"LPT/AutoWrap", 0}, {"LPT/ByteWidth", 16},
    {"USB/Active", 1}, {"USB/LocalEcho", 1}, {"USB/NewLine", 1}, {"USB/AutoWrap", 0},
    {"Settings/FillUnused", 1}, {"Settings/FillPattern", 0xA5}};

// The text keys of the record, which the store reads and writes itself.
const char* const kTextKeys =
    "[TTY]\nFont=DejaVu Sans Mono\n"
    "[COM]\nBautRate=9600\nDevice=/dev/serial/by-id/usb-FTDI_T8-if00-port0\n";

const std::map<std::string, std::string> kDirectoryValues = {
    {"DownloadDirectory", "/home/op/down"}, {"DownloadFilter", "*.hex"},
    {"DownloadFilterName", "Intel HEX (*.hex, *.ihx)"}, {"UploadDirectory", "/home/op/up load"},
    {"UploadFilter", "*.s19"}, {"UploadFilterName", "S-records (*.s19)"},
    {"LibraryDirectory", "/home/j\xC3\xBCrgen/lib"}, {"LibraryFilter", "*.lib"},
    {"LibraryFilterName", "Libraries (*.lib)"}, {"BatchDirectory", "/home/op/batch"}};
// clang-format on

struct Section {
    const char* name;
    std::span<const IntKey> keys;
};

std::vector<Section> IntSections() {
    return {{kSectionTty, TtyIntKeys()},
            {kSectionCom, ComIntKeys()},
            {kSectionLpt, LptIntKeys()},
            {kSectionUsb, UsbIntKeys()},
            {kSectionSettings, SettingsIntKeys()}};
}

std::string KeyName(const Section& section, const IntKey& key) {
    return std::string(section.name) + "/" + key.name;
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "<cannot read " + path.toStdString() + ">";
    }
    return file.readAll().toStdString();
}

class SettingsFileTest : public ::testing::Test {
protected:
    // A new file each time: QSettings serves a file it has seen from its cache.
    [[nodiscard]] QString NewPath() { return dir.filePath(QStringLiteral("s%1.ini").arg(++files)); }

    // The text keys through the store, then every integer key through the schema.
    [[nodiscard]] TTYInfo FullRecord() {
        const QString path = NewPath();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kTextKeys);
        file.close();
        TTYInfo tty;
        DirectorySettings ignored;
        EXPECT_TRUE(SettingsStore(path).LoadSettings(tty, ignored).ok);
        for (const Section& section : IntSections()) {
            for (const IntKey& key : section.keys) {
                const auto value = kIntValues.find(KeyName(section, key));
                EXPECT_NE(value, kIntValues.end()) << KeyName(section, key) << " has no value";
                if (value != kIntValues.end()) {
                    SetField(tty, key.field, value->second);
                }
            }
        }
        return tty;
    }

    [[nodiscard]] static DirectorySettings FullDirectories() {
        DirectorySettings dirs;
        for (const TextKey& key : DirectoryKeys()) {
            dirs.*key.field = kDirectoryValues.at(key.name);
        }
        return dirs;
    }

    [[nodiscard]] std::string SavedBytes(const TTYInfo& tty, const DirectorySettings& dirs) {
        const QString path = NewPath();
        EXPECT_TRUE(SettingsStore(path).SaveSettings(tty, dirs).ok);
        return ReadBytes(path);
    }

    QTemporaryDir dir;
    int files = 0;
    const QString fixture = QStringLiteral(T8_SETTINGS_FIXTURE);
};

TEST_F(SettingsFileTest, EveryKeyOfTheFullRecordDiffersFromTheDefault) {
    const TTYInfo full = FullRecord();
    const TTYInfo defaults{};
    std::size_t keys = 0;
    for (const Section& section : IntSections()) {
        for (const IntKey& key : section.keys) {
            EXPECT_NE(FieldValue(full, key.field), FieldValue(defaults, key.field))
                << KeyName(section, key);
            ++keys;
        }
    }
    EXPECT_EQ(keys, kIntValues.size());
    EXPECT_EQ(SavedBytes(full, FullDirectories()).find("FixedSys"), std::string::npos);
}

TEST_F(SettingsFileTest, AFullRecordIsSavedAsTheFixture) {
    EXPECT_EQ(SavedBytes(FullRecord(), FullDirectories()), ReadBytes(fixture));
}

// Loading the fixture gives the record that was saved, but for what the load rules clear:
// XON/XOFF lasts one run.
TEST_F(SettingsFileTest, TheFixtureLoadsAsTheRecordThatWasSaved) {
    const QString copy = NewPath();
    ASSERT_TRUE(QFile::copy(fixture, copy));
    TTYInfo loaded;
    DirectorySettings loadedDirs;
    ASSERT_TRUE(SettingsStore(copy).LoadSettings(loaded, loadedDirs).ok);

    TTYInfo expected = FullRecord();
    for (const Section& section : IntSections()) {
        for (const IntKey& key : section.keys) {
            std::uint32_t value = FieldValue(expected, key.field);
            if (key.rule == LoadRule::ResetToZero) {
                value = 0;
            } else if (key.rule == LoadRule::ClearXonXoff) {
                value &= ~std::uint32_t{kFlowXonXoff};
            }
            SetField(expected, key.field, value);
            EXPECT_EQ(FieldValue(loaded, key.field), value) << KeyName(section, key);
        }
    }
    EXPECT_EQ(loadedDirs, FullDirectories());
    // the text keys, and the integer keys once more, as the store writes them
    EXPECT_EQ(SavedBytes(loaded, loadedDirs), SavedBytes(expected, FullDirectories()));
}

} // namespace
} // namespace t8
