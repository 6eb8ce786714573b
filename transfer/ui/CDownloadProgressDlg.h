#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace t8 {

class DownloadStream;

// "Download progress.....": shows a PC-to-T8 stream and ticks it every 50 ms; Cancel stops
// it within a tick.
class CDownloadProgressDlg : public QDialog {
    Q_OBJECT
public:
    CDownloadProgressDlg(DownloadStream& stream, QWidget* parent = nullptr);

    // 1 when the stream reached its end, 2 when cancelled, 3 when the line was lost.
    int exec() override;
    void reject() override; // Cancel, Esc and the close box all cancel the stream
    [[nodiscard]] QString SentText() const;
    [[nodiscard]] QString RateText() const;
    [[nodiscard]] int Percent() const;

private:
    void OnTick();
    void Refresh();

    DownloadStream& stream;
    QTimer timer;
    QElapsedTimer clock;
    QLabel* fileName = nullptr;
    QLabel* sent = nullptr;
    QLabel* rate = nullptr;
    QProgressBar* bar = nullptr;
};

} // namespace t8
