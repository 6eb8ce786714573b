#pragma once

#include "settings/ComPortSettings.h"
#include "settings/PortList.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;

namespace t8 {

// The "COM Port" page: port, baud rate, data bits, parity, stop bits, the terminal options and
// flow control, edited on a copy of the record's COM settings. The port list is scanned when
// the page is first shown, after the link has closed its own port.
class CCOMPortPage : public QWidget {
    Q_OBJECT
public:
    using ScanFunction = std::function<PortScanner()>;

    explicit CCOMPortPage(QWidget* parent = nullptr);

    // `runOverride`: the device this run was started on (--port), empty for none.
    void LoadSettings(const ComPortSettings& settings, const std::string& runOverride);
    // This run was started with reconnecting switched off (--no-reconnect): the box shows it
    // off and cannot change it, and the stored setting stays as it is.
    void SetReconnectOffForRun(bool off) { reconnectOffForRun = off; }
    // The system's devices by default; tests give their own.
    void SetScanner(ScanFunction scan_) { scan = std::move(scan_); }

    // Fills the lists, scans the ports and shows the copy; runs once, on the first show.
    void OnInitDialog();
    // Reads the page into the copy (OK).
    void OnOK();

    [[nodiscard]] const ComPortSettings& Settings() const { return settings; }
    // The device named for this run stays in force: its entry was left selected.
    [[nodiscard]] bool KeepsRunOverride() const { return keepsRunOverride; }
    [[nodiscard]] const PortList& Ports() const { return ports; }

    [[nodiscard]] QCheckBox* ActiveBox() const { return activeBox; }
    [[nodiscard]] QComboBox* PortBox() const { return portBox; }
    [[nodiscard]] QComboBox* BaudBox() const { return baudBox; }
    [[nodiscard]] QComboBox* DataBitsBox() const { return dataBitsBox; }
    [[nodiscard]] QComboBox* ParityBox() const { return parityBox; }
    [[nodiscard]] QComboBox* StopBitsBox() const { return stopBitsBox; }
    [[nodiscard]] QCheckBox* XonXoffBox() const { return xonXoffBox; }
    [[nodiscard]] QCheckBox* DtrDsrBox() const { return dtrDsrBox; }
    [[nodiscard]] QCheckBox* RtsCtsBox() const { return rtsCtsBox; }
    [[nodiscard]] QCheckBox* ReconnectBox() const { return reconnectBox; }
    [[nodiscard]] QLabel* RunOnlyNote() const { return runOnlyNote; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void FillPortList();
    void ShowValues();
    void TakePort();
    void EnableControls(bool xonXoffToo);
    void OnActiveClicked();

    ComPortSettings settings;
    std::string runOverride;
    ScanFunction scan;
    PortList ports;
    bool initialised = false;
    bool keepsRunOverride = true;
    bool reconnectOffForRun = false;

    QCheckBox* activeBox = nullptr;
    QComboBox* portBox = nullptr;
    QComboBox* baudBox = nullptr;
    QComboBox* dataBitsBox = nullptr;
    QComboBox* parityBox = nullptr;
    QComboBox* stopBitsBox = nullptr;
    QCheckBox* autoWrapBox = nullptr;
    QCheckBox* newLineBox = nullptr;
    QCheckBox* localEchoBox = nullptr;
    QCheckBox* dtrDsrBox = nullptr;
    QCheckBox* rtsCtsBox = nullptr;
    QCheckBox* xonXoffBox = nullptr;
    QCheckBox* reconnectBox = nullptr;
    QLabel* runOnlyNote = nullptr;
};

} // namespace t8
