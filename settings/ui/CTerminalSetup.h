#pragma once

#include <QDialog>

#include <string>

class QTabWidget;

namespace t8 {

class CCOMPortPage;
class CLPTPortPage;
class CUSBPortPage;
struct ComPortSettings;

// "Terminal Setup": the port parameter sheet. It holds the COM, LPT and USB pages but shows
// only "COM Port".
class CTerminalSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Terminal Setup";

    CTerminalSetup(const QString& caption, QWidget* parent = nullptr, int firstPage = 0);

    // `runOverride`: the device this run was started on, shown beside the stored choice.
    void LoadFromRecord(const ComPortSettings& settings, const std::string& runOverride = {});
    // The COM page's settings into the record's (after OK).
    void StoreToRecord(ComPortSettings& settings) const;
    // After OK: whether the device this run was started on stays in force.
    [[nodiscard]] bool KeepsRunOverride() const;

    void accept() override;

    [[nodiscard]] CCOMPortPage* ComPage() const { return comPage; }
    [[nodiscard]] CLPTPortPage* LptPage() const { return lptPage; }
    [[nodiscard]] CUSBPortPage* UsbPage() const { return usbPage; }
    [[nodiscard]] QTabWidget* Tabs() const { return tabs; }

private:
    CUSBPortPage* usbPage = nullptr;
    CLPTPortPage* lptPage = nullptr;
    CCOMPortPage* comPage = nullptr;
    QTabWidget* tabs = nullptr;
};

} // namespace t8
