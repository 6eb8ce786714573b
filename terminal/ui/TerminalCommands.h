#pragma once

#include <QString>

#include <memory>
#include <string>

class QPrinter;

namespace t8 {

class CProgTermView;
class SerialLink;
class SettingsStore;
class TransferController;
class TransferTimer;
class ViewDocument;
class WindowHandOffs;
struct DirectorySettings;

// The commands of the menus and toolbar that the terminal carries out: device commands and
// keys, capture, clear screen, font and colours, saving preferences, printing.
class TerminalCommands {
public:
    // What the commands work on. The view is the dialogs' parent and shows what they change.
    struct Parts {
        CProgTermView& view;
        SerialLink& link;
        ViewDocument& doc;
        SettingsStore& store;
        DirectorySettings& dirs;
        TransferController& transfer;
        WindowHandOffs& handOffs; // the examine dialog
        TransferTimer& timer;     // the pause while the port closes
    };

    explicit TerminalCommands(const Parts& parts);
    TerminalCommands(const TerminalCommands&) = delete;
    TerminalCommands& operator=(const TerminalCommands&) = delete;
    ~TerminalCommands();

    void Run(int id);

    static constexpr const char* kCaptureFilter = "Capture files (*.cap);;All Files (*)";
    static constexpr const char* kCaptureTimesText =
        "Write the time each line began (hh:mm:ss.mmm) in front of it";
    static constexpr int kPortCloseWaitMs = 50;

private:
    void SendDeviceCommand(int id);
    void StartCapture();
    void StopCapture();
    [[nodiscard]] QString ChooseCaptureFile(bool& withTimes);
    void ChangeFont();
    void ChangeBackground();
    void SavePreferences();
    void Print();
    void PrintSetup();
    void OnExamineFile();
    void EditSettings();
    void PortParameters();
    void EditDirectories();
    void NotYet(int id);
    QPrinter& Printer();

    CProgTermView& view;
    SerialLink& link;
    ViewDocument& doc;
    SettingsStore& store;
    DirectorySettings& dirs;
    TransferController& transfer;
    WindowHandOffs& handOffs;
    TransferTimer& timer;
    QString captureDirectory;     // folder of the last saved capture, kept for this run only
    std::string examineDirectory; // folder of the last file examined, likewise
    std::unique_ptr<QPrinter> printer;
};

} // namespace t8
