#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;

namespace t8 {

class UploadProgress;

// "Upload progress.....": the bytes received, the format detected and the stream check's
// verdict, ticked every 250 ms until the receive ends.
class CUploadProgressDlg : public QDialog {
    Q_OBJECT
public:
    CUploadProgressDlg(UploadProgress& progress, QWidget* parent = nullptr);

    // 1 at the end of the data or after the silence, 2 when cancelled, 3 when the line was lost.
    int exec() override;
    void reject() override;
    [[nodiscard]] QString FieldText(const char* name) const;

private:
    void OnTick();
    void Refresh();

    UploadProgress& progress;
    QTimer timer;
};

} // namespace t8
