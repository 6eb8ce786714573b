#include "settings/ui/CCOMPortPage.h"

#include "link/LineFrame.h"
#include "link/PortFactory.h"
#include "settings/SerialDevices.h"
#include "settings/TypedPort.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace t8 {
namespace {

constexpr int kPortBoxCharacters = 34;
constexpr char kCheckPortCaption[] = "Check port";
constexpr char kServerLineText[] =
    "Raw TCP carries the bytes only: the baud rate, data bits, parity, stop bits and flow "
    "control are the server's settings.";

template <std::size_t N> void Fill(QComboBox* box, const std::array<std::string_view, N>& entries) {
    box->clear();
    for (const std::string_view entry : entries) {
        box->addItem(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
    }
}

QComboBox* NewList(QWidget* parent, bool editable) {
    auto* box = new QComboBox(parent);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

} // namespace

CCOMPortPage::CCOMPortPage(QWidget* parent) : QWidget(parent), scan(SystemPortScanner) {
    setObjectName("CCOMPortPage");
    BuildControls();
    connect(activeBox, &QCheckBox::clicked, this, &CCOMPortPage::OnActiveClicked);
    connect(portBox, &QComboBox::currentTextChanged, this, &CCOMPortPage::ShowServerLineNote);
    connect(checkPortButton, &QPushButton::clicked, this, &CCOMPortPage::OnCheckPort);
}

void CCOMPortPage::BuildControls() {
    activeBox = new QCheckBox("COM Active", this);
    // the port list also takes a device typed in (a pty, a /dev/serial/by-id link)
    portBox = NewList(this, true);
    portBox->setMinimumContentsLength(kPortBoxCharacters);
    portBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    portBox->lineEdit()->setPlaceholderText("ttyUSB0, /dev/serial/by-id/..., rfc2217://HOST:PORT");
    portBox->setToolTip("A port from the list, or typed: a device in /dev (ttyUSB0), a device's "
                        "full path, or a network address rfc2217://HOST:PORT or tcp://HOST:PORT.");
    runOnlyNote = new QLabel(this);
    runOnlyNote->setWordWrap(true);
    runOnlyNote->hide();
    serverLineNote = new QLabel(kServerLineText, this);
    serverLineNote->setWordWrap(true);
    serverLineNote->hide();
    checkPortButton = new QPushButton("Chec&k port", this);
    checkPortButton->setToolTip("Look for what keeps the port from working: a missing device, "
                                "a program holding it, services that take or probe adapters, "
                                "a slow adapter setting, missing permission.");
    // rates the list lacks can be typed
    baudBox = NewList(this, true);
    baudBox->setValidator(new QIntValidator(static_cast<int>(kMinTypedBaud),
                                            static_cast<int>(kMaxTypedBaud), baudBox));
    dataBitsBox = NewList(this, false);
    parityBox = NewList(this, false);
    stopBitsBox = NewList(this, false);
    autoWrapBox = new QCheckBox("Autowrap", this);
    newLineBox = new QCheckBox("New Line", this);
    localEchoBox = new QCheckBox("Local Echo", this);
    dtrDsrBox = new QCheckBox("DTR/DSR", this);
    rtsCtsBox = new QCheckBox("RTS/CTS", this);
    xonXoffBox = new QCheckBox("XON/XOFF", this);
    xonXoffBox->setEnabled(false);
    reconnectBox = new QCheckBox("Reco&nnect when back", this);
    reconnectBox->setToolTip("After a hang-up (the cable pulled, the T8 switched off), wait for "
                             "the device and open it again by itself as soon as it is back.");

    auto* comGroup = new QGroupBox("&COM Options:", this);
    auto* form = new QFormLayout(comGroup);
    form->addRow("&Port:", portBox);
    form->addRow(QString(), runOnlyNote);
    form->addRow(QString(), serverLineNote);
    form->addRow(QString(), checkPortButton);
    form->addRow("&Baud Rate:", baudBox);
    form->addRow("&Data Bits:", dataBitsBox);
    form->addRow("P&arity:", parityBox);
    form->addRow("&Stop Bits:", stopBitsBox);
    auto* ttyGroup = new QGroupBox("&TTY Options:", this);
    auto* ttyLayout = new QVBoxLayout(ttyGroup);
    for (QCheckBox* box : {autoWrapBox, newLineBox, localEchoBox}) {
        ttyLayout->addWidget(box);
    }
    auto* flowGroup = new QGroupBox("Flow control", this);
    auto* flowLayout = new QVBoxLayout(flowGroup);
    for (QCheckBox* box : {dtrDsrBox, rtsCtsBox, xonXoffBox}) {
        flowLayout->addWidget(box);
    }
    auto* right = new QVBoxLayout;
    right->addWidget(ttyGroup);
    right->addWidget(flowGroup);
    right->addWidget(reconnectBox);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(comGroup, 1);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(activeBox);
    layout->addLayout(columns);
}

void CCOMPortPage::LoadSettings(const ComPortSettings& settings_, const std::string& override_) {
    settings = settings_;
    runOverride = override_;
    keepsRunOverride = true;
    initialised = false;
}

void CCOMPortPage::showEvent(QShowEvent* event) {
    if (!initialised) {
        OnInitDialog();
    }
    QWidget::showEvent(event);
}

void CCOMPortPage::OnInitDialog() {
    initialised = true;
    Fill(dataBitsBox, kDataBitsEntries);
    Fill(parityBox, kParityEntries);
    Fill(stopBitsBox, kStopBitsEntries);
    const BaudList baud = MakeBaudList(settings.baudRate);
    baudBox->clear();
    for (const std::string& entry : baud.entries) {
        baudBox->addItem(QString::fromStdString(entry));
    }
    baudBox->setCurrentIndex(baud.selected);
    FillPortList();
    dataBitsBox->setCurrentIndex(DataBitsIndex(settings.byteSize));
    parityBox->setCurrentIndex(ParityIndex(settings.parity));
    stopBitsBox->setCurrentIndex(StopBitsIndex(settings.stopBits));
    ShowValues();
    EnableControls(false);
}

void CCOMPortPage::FillPortList() {
    ports = PortList(scan ? scan() : PortScanner{}, settings, runOverride);
    portBox->clear();
    for (const PortEntry& entry : ports.Entries()) {
        const QString text = QString::fromStdString(entry.Text());
        portBox->addItem(text);
        portBox->setItemData(portBox->count() - 1, text, Qt::ToolTipRole);
    }
    portBox->setCurrentIndex(ports.Selected());
    // the list opens as wide as its longest entry; the field itself stays a sensible size
    portBox->view()->setMinimumWidth(portBox->view()->sizeHintForColumn(0));
    if (!runOverride.empty()) {
        runOnlyNote->setText(
            QString("This run was started on %1: it is used until the program ends and not "
                    "saved. Choosing another port replaces it.")
                .arg(QString::fromStdString(runOverride)));
    }
    runOnlyNote->setVisible(!runOverride.empty());
}

void CCOMPortPage::ShowValues() {
    activeBox->setChecked(settings.comActive != 0);
    autoWrapBox->setChecked(settings.comAutoWrap != 0);
    dtrDsrBox->setChecked((settings.flowCtrl & kFlowDtrDsr) != 0);
    rtsCtsBox->setChecked((settings.flowCtrl & kFlowRtsCts) != 0);
    xonXoffBox->setChecked((settings.flowCtrl & kFlowXonXoff) != 0);
    localEchoBox->setChecked(settings.comLocalEcho != 0);
    newLineBox->setChecked(settings.comNewLine != 0);
    reconnectBox->setChecked(settings.comReconnect != 0 && !reconnectOffForRun);
    if (reconnectOffForRun) {
        reconnectBox->setToolTip("Off for this run: the program was started with "
                                 "--no-reconnect. The stored setting is kept.");
    }
}

// On opening, XON/XOFF stays disabled even on an active port; a click on "COM Active" frees it.
void CCOMPortPage::EnableControls(bool xonXoffToo) {
    const bool active = activeBox->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             portBox, baudBox, dataBitsBox, parityBox, stopBitsBox, autoWrapBox, newLineBox,
             localEchoBox, dtrDsrBox, rtsCtsBox, reconnectBox}) {
        control->setEnabled(active);
    }
    reconnectBox->setEnabled(active && !reconnectOffForRun);
    xonXoffBox->setEnabled(active && xonXoffToo);
}

void CCOMPortPage::OnActiveClicked() {
    EnableControls(true);
}

PortChoice CCOMPortPage::ChosenPort() const {
    const QString text = portBox->currentText();
    const int index = portBox->currentIndex();
    if (index >= 0 && index < static_cast<int>(ports.Entries().size()) &&
        text == portBox->itemText(index)) {
        return {ports.Entries()[static_cast<std::size_t>(index)], {}};
    }
    return ports.Interpret(text.toStdString());
}

void CCOMPortPage::ShowServerLineNote() {
    const bool rawTcp = IsRawTcpAddress(portBox->currentText().trimmed().toStdString());
    if (rawTcp == serverLineNote->isVisibleTo(this)) {
        return;
    }
    serverLineNote->setVisible(rawTcp);
    // a wrapped note gets the height its width needs, which a size hint alone does not know;
    // the open sheet then grows (or shrinks back) around it
    for (QLabel* note : {runOnlyNote, serverLineNote}) {
        note->setMinimumHeight(note->isVisibleTo(this) ? note->heightForWidth(portBox->width())
                                                       : 0);
    }
    if (QWidget* sheet = window(); sheet != this && sheet->isVisible()) {
        sheet->resize(sheet->width(), sheet->minimumSizeHint().height());
    }
}

std::string CCOMPortPage::OnOK() {
    if (!initialised) {
        return {}; // never shown: nothing was chosen, the copy stands
    }
    const PortChoice port = ChosenPort();
    if (!port.problem.empty()) {
        return port.problem;
    }
    ComPortSettings next = settings;
    const bool keeps = ApplyPortEntry(port.entry, next) && !runOverride.empty();
    next.baudRate = BaudFromText(baudBox->currentText().toStdString(), next.baudRate);
    next.comActive = activeBox->isChecked() ? 1 : 0;
    next.comAutoWrap = autoWrapBox->isChecked() ? 1 : 0;
    next.flowCtrl = ApplyFlowBoxes(next.flowCtrl, dtrDsrBox->isChecked(), rtsCtsBox->isChecked(),
                                   xonXoffBox->isChecked());
    next.comLocalEcho = localEchoBox->isChecked() ? 1 : 0;
    next.comNewLine = newLineBox->isChecked() ? 1 : 0;
    if (!reconnectOffForRun) {
        next.comReconnect = reconnectBox->isChecked() ? 1 : 0;
    }
    next.byteSize = ByteSizeFromText(dataBitsBox->currentText().toStdString());
    next.stopBits = StopBitsFromText(stopBitsBox->currentText().toStdString());
    next.parity = ParityFromText(parityBox->currentText().toStdString());
    if (std::string problem = FrameProblem(next.Line()); !problem.empty()) {
        return problem;
    }
    settings = std::move(next);
    keepsRunOverride = keeps;
    return {};
}

std::string CCOMPortPage::CheckPortText() const {
    const PortChoice port = ChosenPort();
    if (!port.problem.empty()) {
        return port.problem;
    }
    if (!port.entry) {
        return "Choose or type a port to check.";
    }
    const std::string& path = port.entry->path;
    if (!AddressScheme(path).empty()) {
        return path + " is a network address: the server is reached when the port opens, and "
                      "what goes wrong then is said.";
    }
    return PortFindingsText(path, PortDoctor(roots).Examine(path));
}

void CCOMPortPage::OnCheckPort() {
    QMessageBox::information(this, kCheckPortCaption, QString::fromStdString(CheckPortText()));
}

} // namespace t8
