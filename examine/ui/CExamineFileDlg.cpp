#include "examine/ui/CExamineFileDlg.h"

#include "examine/ui/MemoryMapStrip.h"
#include "link/FillOptions.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace t8 {

namespace {

struct FieldSpec {
    const char* label;
    const char* name;
    int row;
    int column;
};

constexpr FieldSpec kFields[] = {
    {"Examine file :", "fileNameText", 0, 0},      {"File format :", "statusText", 1, 0},
    {"Binary length :", "binaryLengthText", 2, 0}, {"File length :", "fileLengthText", 2, 1},
    {"Binary offset :", "binaryOffsetText", 3, 0}, {"Binary checksum :", "checksumText", 3, 1},
    {"Unused space:", "unusedSpaceText", 4, 0},
};

} // namespace

CExamineFileDlg::CExamineFileDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CExamineFileDlg");
    setWindowTitle("Examine file....");
    BuildLayout();
    timer.setInterval(kTickMs);
    connect(&timer, &QTimer::timeout, this, &CExamineFileDlg::TickOnce);
}

CExamineFileDlg::~CExamineFileDlg() = default;

void CExamineFileDlg::SetSettings(const FillOptions& fill) {
    settings.fillUnused = fill.unused != 0;
    settings.fillPattern = fill.pattern;
}

QLabel* CExamineFileDlg::AddField(QGridLayout* grid, int row, int column, const char* label,
                                  const char* name) {
    auto* field = new QLabel(this);
    field->setObjectName(name);
    field->setFrameShape(QFrame::Panel);
    field->setFrameShadow(QFrame::Sunken);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    field->setMinimumWidth(150);
    grid->addWidget(new QLabel(label, this), row, column * 2);
    grid->addWidget(field, row, column * 2 + 1, 1, row < 2 || row == 4 ? 3 : 1);
    return field;
}

void CExamineFileDlg::BuildLayout() {
    auto* grid = new QGridLayout;
    for (const auto& field : kFields) {
        AddField(grid, field.row, field.column, field.label, field.name);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    segmentList = new QTreeWidget(this);
    segmentList->setObjectName("segmentList");
    segmentList->setRootIsDecorated(false);
    segmentList->setSelectionMode(QAbstractItemView::SingleSelection);
    segmentList->setHeaderLabels({"Address area", "Binary length", "Checksum"});
    segmentList->setColumnWidth(0, 280);
    segmentList->setColumnWidth(1, 100);
    segmentList->setColumnWidth(2, 100);
    strip = new MemoryMapStrip(this);
    closeButton = new QPushButton("Close", this);
    closeButton->setObjectName("closeButton");
    closeButton->setAutoDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &CExamineFileDlg::OnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(progressBar);
    layout->addWidget(new QLabel("Segments", this));
    layout->addWidget(segmentList, 1);
    layout->addWidget(strip);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    resize(640, 420);
}

int CExamineFileDlg::exec() {
    Start();
    timer.start();
    const int result = QDialog::exec();
    timer.stop();
    return result;
}

void CExamineFileDlg::Start() {
    tool = std::make_unique<ExamineTool>(fileName, settings);
    tool->SetChangedCallback([this] { Refresh(); });
    tool->SetProgressCallback([this](int percent) {
        progressBar->setValue(percent);
        // Keeps the window painted and lets Close reach the tool, which then stops the reader.
        QApplication::processEvents();
    });
    tool->Init();
    Refresh();
}

void CExamineFileDlg::TickOnce() {
    if (!tool) {
        return;
    }
    timer.stop(); // a long examination must not stack ticks
    tool->Tick();
    Refresh();
    if (isVisible() || !tool->Finished()) {
        timer.start();
    }
}

void CExamineFileDlg::OnClose() {
    if (tool && tool->Close() == ExamineTool::CloseResult::StayOpen) {
        Refresh();
        return;
    }
    reject();
}

QString CExamineFileDlg::FieldText(const char* name) const {
    const auto* field = findChild<QLabel*>(name);
    return field ? field->text() : QString();
}

void CExamineFileDlg::Refresh() {
    if (!tool) {
        return;
    }
    const std::pair<const char*, const std::string*> texts[] = {
        {"fileNameText", &tool->FileNameText()},
        {"statusText", &tool->StatusText()},
        {"binaryLengthText", &tool->BinaryLengthText()},
        {"fileLengthText", &tool->FileLengthText()},
        {"binaryOffsetText", &tool->BinaryOffsetText()},
        {"checksumText", &tool->ChecksumText()},
        {"unusedSpaceText", &tool->UnusedSpaceText()},
    };
    for (const auto& [name, text] : texts) {
        findChild<QLabel*>(name)->setText(QString::fromStdString(*text));
    }
    if (tool->Rows().size() != shownRows) {
        FillSegments();
    }
}

void CExamineFileDlg::FillSegments() {
    segmentList->clear();
    // Rows go in with every other one selected, as the list always showed them; the operator
    // then selects one at a time.
    segmentList->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const SegmentRow& row : tool->Rows()) {
        auto* item = new QTreeWidgetItem(segmentList, {QString::fromStdString(row.addressArea),
                                                       QString::fromStdString(row.binaryLength),
                                                       QString::fromStdString(row.checksum)});
        item->setSelected(row.selected);
    }
    segmentList->setSelectionMode(QAbstractItemView::SingleSelection);
    shownRows = tool->Rows().size();
    const auto listed = tool->ListedSegments();
    const MemoryImage& image = tool->Image();
    strip->SetSegments({listed.begin(), listed.end()}, image.BaseAddress(),
                       tool->SummaryDone() ? image.Length() : 0);
}

} // namespace t8
