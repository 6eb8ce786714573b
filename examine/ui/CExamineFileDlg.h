#pragma once

#include "examine/ExamineTool.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <string>

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace t8 {

class MemoryMapStrip;
struct FillOptions;

// "Examine file....": shows what a file holds as a memory image; the examination itself is
// the ExamineTool's, ticked every 200 ms.
class CExamineFileDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = 200;

    explicit CExamineFileDlg(QWidget* parent = nullptr);
    ~CExamineFileDlg() override;

    void SetFileName(const std::string& path) { fileName = path; }
    // The record's fill options.
    void SetSettings(const FillOptions& fill);
    int exec() override;
    // What exec does before the dialog shows: a fresh examination of the file.
    void Start();

    [[nodiscard]] ExamineTool* Tool() const { return tool.get(); }
    [[nodiscard]] QString FieldText(const char* name) const;
    [[nodiscard]] QTreeWidget* SegmentList() const { return segmentList; }
    [[nodiscard]] MemoryMapStrip* MemoryMap() const { return strip; }
    // One timer tick, as the 200 ms timer runs it.
    void TickOnce();

private:
    void BuildLayout();
    QLabel* AddField(QGridLayout* grid, int row, int column, const char* label, const char* name);
    void Refresh();
    void FillSegments();
    void OnClose();

    std::string fileName;
    ExamineSettings settings;
    std::unique_ptr<ExamineTool> tool;
    QTimer timer;
    QProgressBar* progressBar = nullptr;
    QTreeWidget* segmentList = nullptr;
    MemoryMapStrip* strip = nullptr;
    QPushButton* closeButton = nullptr;
    std::size_t shownRows = 0;
};

} // namespace t8
