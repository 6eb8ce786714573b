#pragma once

#include "link/TTYInfo.h"
#include "settings/DirectorySettings.h"

#include <QSettings>
#include <QString>

#include <memory>
#include <string>

namespace t8 {

// What became of a load or a save. A failure never stops the program: a load then leaves the
// defaults in place and a save is lost; the message says so for the operator or the log.
struct StoreStatus {
    bool ok = true;
    std::string message;
};

// The persisted preferences: of TTYInfo the look (font, colours), the COM settings with the
// line's XON/XOFF flag, the other ports' options and the fill options; and the ten directory
// strings. One INI file with the sections "TTY", "COM", "LPT", "USB", "DIRS" and "Settings".
// Runs on the user-interface thread only.
class SettingsStore {
public:
    // The user's store: "TALLON Rodezedoraz/T8HostLink.ini" in the XDG config folder.
    SettingsStore();
    // A store in the INI file at iniPath.
    explicit SettingsStore(const QString& iniPath);
    // A store over settings owned by the caller, who keeps them alive.
    explicit SettingsStore(QSettings& settings);
    ~SettingsStore();

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;
    SettingsStore(SettingsStore&&) = delete;
    SettingsStore& operator=(SettingsStore&&) = delete;

    // Reads every key over the defaults already in tty and dirs; a missing or unusable value
    // keeps the field as it is. comXonXoff and the XON/XOFF bit of flowCtrl come back clear.
    StoreStatus LoadSettings(TTYInfo& tty, DirectorySettings& dirs);
    // Writes every key, changed or not.
    StoreStatus SaveSettings(const TTYInfo& tty, const DirectorySettings& dirs);

    [[nodiscard]] QString FileName() const;

private:
    [[nodiscard]] StoreStatus Status(const char* failure) const;

    std::unique_ptr<QSettings> ownedSettings;
    QSettings& settings;
};

} // namespace t8
