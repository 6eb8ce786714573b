#pragma once

#include <QString>

#include <memory>
#include <string>

class QPrinter;

namespace t8 {

class CProgTermView;
struct TTYInfo;

// The commands of the menus and toolbar that the terminal carries out: device commands and
// keys, capture, clear screen, font and colours, saving preferences, printing.
class TerminalCommands {
public:
    explicit TerminalCommands(CProgTermView& view);
    TerminalCommands(const TerminalCommands&) = delete;
    TerminalCommands& operator=(const TerminalCommands&) = delete;
    ~TerminalCommands();

    void Run(int id);
    // The examine dialog on a file, with the record's fill options when one is given.
    void ExaminePath(const std::string& path, const TTYInfo* settings);

    static constexpr const char* kCaptureFilter = "Capture files (*.cap);;All Files (*)";
    static constexpr int kPortCloseWaitMs = 50;

private:
    void SendDeviceCommand(int id);
    void StartCapture();
    void StopCapture();
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
    QString captureDirectory;     // folder of the last saved capture, kept for this run only
    std::string examineDirectory; // folder of the last file examined, likewise
    std::unique_ptr<QPrinter> printer;
};

} // namespace t8
