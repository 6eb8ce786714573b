#include "settings/SettingsStore.h"

#include "link/LineSettings.h"
#include "settings/SettingsSchema.h"
#include "settings/StoredValue.h"
#include "settings/TypedPort.h"

#include <algorithm>
#include <optional>

namespace t8 {

namespace {

QString KeyPath(const char* section, const char* key) {
    return QString::fromLatin1(section) + u'/' + QString::fromLatin1(key);
}

std::optional<QString> ReadText(const QSettings& settings, const char* section, const char* key) {
    return StoredText(settings.value(KeyPath(section, key)));
}

// Text meant as a path or filter; longer than any usable path means unusable.
std::optional<std::string> ReadPathText(const QSettings& settings, const char* section,
                                        const char* key) {
    const std::optional<QString> text = ReadText(settings, section, key);
    if (!text || text->size() > kMaxStoredText) {
        return std::nullopt;
    }
    return text->toStdString();
}

void LoadIntKeys(const QSettings& settings, const char* section, std::span<const IntKey> keys,
                 TTYInfo& tty) {
    for (const IntKey& key : keys) {
        if (key.rule == LoadRule::ResetToZero) {
            SetField(tty, key.field, 0);
            continue;
        }
        const std::optional<QString> text = ReadText(settings, section, key.name);
        std::optional<std::uint32_t> value = text ? ParseStoredInt(*text) : std::nullopt;
        if (!value) {
            continue;
        }
        if (key.rule == LoadRule::ClearXonXoff) {
            *value &= ~std::uint32_t{kFlowXonXoff};
        }
        SetField(tty, key.field, *value);
    }
}

void SaveIntKeys(QSettings& settings, const char* section, std::span<const IntKey> keys,
                 const TTYInfo& tty) {
    for (const IntKey& key : keys) {
        // the 32-bit pattern as a signed int, as the store types it; byte fields stay 0 to 255
        settings.setValue(KeyPath(section, key.name),
                          static_cast<std::int32_t>(FieldValue(tty, key.field)));
    }
}

void LoadFaceName(const QSettings& settings, LogFont& logFont) {
    if (const std::optional<QString> face = ReadText(settings, kSectionTty, kKeyFont)) {
        logFont.faceName = FitFaceName(*face);
    }
}

void LoadComText(const QSettings& settings, ComPortSettings& com) {
    if (const std::optional<QString> rate = ReadText(settings, kSectionCom, kKeyBaudRate)) {
        // no usable rate is negative; 0 is refused by the port layer like any rate it rejects
        com.baudRate = static_cast<std::uint32_t>(std::max(0, ParseLeadingLong(*rate)));
    }
    if (std::optional<std::string> device = ReadPathText(settings, kSectionCom, kKeyDevice)) {
        com.devicePath = std::move(*device);
    }
    if (const std::optional<QString> recent =
            ReadText(settings, kSectionCom, kKeyRecentAddresses)) {
        com.recentAddresses = RecentAddressesFromText(recent->toStdString());
    }
}

void SaveRecentAddresses(QSettings& settings, const std::vector<std::string>& recent) {
    const QString key = KeyPath(kSectionCom, kKeyRecentAddresses);
    if (recent.empty()) {
        settings.remove(key);
    } else {
        settings.setValue(key, QString::fromStdString(RecentAddressesText(recent)));
    }
}

void LoadDirectories(const QSettings& settings, DirectorySettings& dirs) {
    for (const TextKey& key : DirectoryKeys()) {
        if (std::optional<std::string> text = ReadPathText(settings, kSectionDirs, key.name)) {
            dirs.*key.field = std::move(*text);
        }
    }
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

SettingsStore::SettingsStore()
    : ownedSettings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                QString::fromLatin1(kOrganizationName),
                                                QString::fromLatin1(kApplicationName))),
      settings(*ownedSettings) {}

SettingsStore::SettingsStore(const QString& iniPath)
    : ownedSettings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)),
      settings(*ownedSettings) {}

SettingsStore::SettingsStore(QSettings& injected) : settings(injected) {}

SettingsStore::~SettingsStore() = default;

StoreStatus SettingsStore::LoadSettings(TTYInfo& tty, DirectorySettings& dirs) {
    LoadFaceName(settings, tty.look.logFont);
    LoadIntKeys(settings, kSectionTty, TtyIntKeys(), tty);
    LoadIntKeys(settings, kSectionCom, ComIntKeys(), tty);
    LoadComText(settings, tty.com);
    LoadIntKeys(settings, kSectionLpt, LptIntKeys(), tty);
    LoadIntKeys(settings, kSectionUsb, UsbIntKeys(), tty);
    tty.screen.caretShown = 0;
    LoadDirectories(settings, dirs);
    LoadIntKeys(settings, kSectionSettings, SettingsIntKeys(), tty);
    return Status("cannot be read; the defaults are used");
}

StoreStatus SettingsStore::SaveSettings(const TTYInfo& tty, const DirectorySettings& dirs) {
    settings.setValue(KeyPath(kSectionTty, kKeyFont), Text(tty.look.logFont.faceName));
    SaveIntKeys(settings, kSectionTty, TtyIntKeys(), tty);
    SaveIntKeys(settings, kSectionCom, ComIntKeys(), tty);
    settings.setValue(KeyPath(kSectionCom, kKeyBaudRate), QString::number(tty.com.baudRate));
    settings.setValue(KeyPath(kSectionCom, kKeyDevice), Text(tty.com.devicePath));
    SaveRecentAddresses(settings, tty.com.recentAddresses);
    SaveIntKeys(settings, kSectionLpt, LptIntKeys(), tty);
    SaveIntKeys(settings, kSectionUsb, UsbIntKeys(), tty);
    for (const TextKey& key : DirectoryKeys()) {
        settings.setValue(KeyPath(kSectionDirs, key.name), Text(dirs.*key.field));
    }
    SaveIntKeys(settings, kSectionSettings, SettingsIntKeys(), tty);
    settings.sync();
    return Status("cannot be written; the preferences were not saved");
}

QString SettingsStore::FileName() const {
    return settings.fileName();
}

StoreStatus SettingsStore::Status(const char* failure) const {
    if (settings.status() == QSettings::NoError) {
        return {};
    }
    return {false, "The settings file " + settings.fileName().toStdString() + " " + failure + "."};
}

} // namespace t8
