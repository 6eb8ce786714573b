#pragma once

#include "batch/BatchExecutor.h"
#include "batch/BatchTerminal.h"

#include <QDialog>
#include <QTimer>

#include <string>

class QLabel;
class QPushButton;

namespace t8 {

// "Execute batch file": runs a batch file on the terminal, one step every 100 ms, with its
// message and status lines. OK ends a pause or a wait for the prompt and closes a finished run;
// Abort lets OK close; Esc and the close box end the run at once.
class CBatchDlg : public QDialog, public BatchDisplay {
    Q_OBJECT
public:
    static constexpr int kMessageLineId = 1032;
    static constexpr int kStatusLineId = 1033;

    CBatchDlg(const std::string& batchPath, BatchTerminal& terminal, QWidget* parent = nullptr);

    int exec() override;
    void reject() override;

    // BatchDisplay
    void ShowTexts(const BatchTexts& texts) override;

    [[nodiscard]] BatchExecutor& Executor() { return executor; }
    [[nodiscard]] QString MessageText() const;
    [[nodiscard]] QString StatusText() const;
    [[nodiscard]] QPushButton* OkButton() const { return okButton; }
    [[nodiscard]] QPushButton* AbortButton() const { return abortButton; }

private:
    void OnTick();
    void OnOk();

    std::string batchPath;
    BatchExecutor executor;
    QTimer timer;
    QLabel* messageLine = nullptr;
    QLabel* statusLine = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* abortButton = nullptr;
};

} // namespace t8
