#pragma once

#include <QString>

#include <memory>

class QPrinter;

namespace t8 {

class CProgTermView;

// The commands of the menus and toolbar that the terminal carries out: device commands and
// keys, capture, clear screen, font and colours, saving preferences, printing.
class TerminalCommands {
public:
    explicit TerminalCommands(CProgTermView& view);
    TerminalCommands(const TerminalCommands&) = delete;
    TerminalCommands& operator=(const TerminalCommands&) = delete;
    ~TerminalCommands();

    void Run(int id);

    static constexpr const char* kCaptureFilter = "Capture files (*.cap);;All Files (*)";

private:
    void SendDeviceCommand(int id);
    void StartCapture();
    void StopCapture();
    void ChangeFont();
    void ChangeBackground();
    void SavePreferences();
    void Print();
    void PrintSetup();
    void NotYet(int id);
    QPrinter& Printer();

    CProgTermView& view;
    QString captureDirectory; // folder of the last saved capture, kept for this run only
    std::unique_ptr<QPrinter> printer;
};

} // namespace t8
