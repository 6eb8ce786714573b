#pragma once

#include "link/PortDoctor.h"
#include "settings/ComPortSettings.h"
#include "settings/PortList.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

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
    // Reads the page into the copy (OK). Returns why the page cannot be taken as it stands (a
    // port it cannot use, a frame the line cannot carry), the copy unchanged then; empty when
    // it was taken.
    [[nodiscard]] std::string OnOK();
    // What the port doctor finds for the port chosen on the page ("Check port").
    [[nodiscard]] std::string CheckPortText() const;
    // Where the doctor looks; the system's folders by default, tests give a fake tree.
    void SetSystemRoots(SystemRoots roots_) { roots = std::move(roots_); }

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
    [[nodiscard]] QLabel* ServerLineNote() const { return serverLineNote; }
    [[nodiscard]] QPushButton* CheckPortButton() const { return checkPortButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void FillPortList();
    void ShowValues();
    [[nodiscard]] PortChoice ChosenPort() const;
    void ShowServerLineNote();
    void OnCheckPort();
    void EnableControls(bool xonXoffToo);
    void OnActiveClicked();

    ComPortSettings settings;
    std::string runOverride;
    ScanFunction scan;
    SystemRoots roots;
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
    QLabel* serverLineNote = nullptr;
    QPushButton* checkPortButton = nullptr;
};

} // namespace t8
