#pragma once

#include "link/ConnectAhead.h"
#include "link/LinkUi.h"
#include "link/SerialLink.h"
#include "settings/DirectorySettings.h"
#include "terminal/BellLimiter.h"
#include "terminal/KeyTyper.h"
#include "terminal/ScreenHost.h"
#include "terminal/ScreenModel.h"
#include "terminal/ui/CaptureFeed.h"
#include "terminal/ui/PromptPane.h"
#include "terminal/ui/ReceivedFrames.h"
#include "terminal/ui/ReconnectDriver.h"
#include "terminal/ui/ScreenPainter.h"
#include "terminal/ui/ScrollBarSync.h"
#include "terminal/ui/TimestampMargin.h"
#include "terminal/ui/ViewDialogs.h"
#include "terminal/ui/ViewDocument.h"
#include "terminal/ui/ViewTimer.h"
#include "transfer/TransferController.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QPainter;

namespace t8 {

class SettingsStore;
class StatusPanes;
class TerminalCommands;

// The terminal view: owns the connection record and the screen model, paints the screen,
// turns typed keys into bytes for the device and carries out the terminal's commands. What it
// owns stays inside: the commands, the dialogs and the transfers are each given the parts they
// work on when they are made.
class CProgTermView : public QAbstractScrollArea,
                      public LinkUi,
                      public ReceiveTarget,
                      public ScreenHost {
    Q_OBJECT
public:
    static constexpr int kTransferTimerMs = 250;

    CProgTermView(StatusPanes& panes, ViewDocument& doc, SettingsStore& store,
                  QWidget* parent = nullptr);
    ~CProgTermView() override;

    // Record, settings, font and port; reports a port that cannot be opened. -1 when the
    // record could not be made.
    int OnCreate(const std::string& portOverride);
    // For this run only (the command line): false keeps a hang-up from being followed by a
    // wait for the device.
    void AllowReconnect(bool allow) { link.AllowReconnect(allow); }
    void OnCommand(int id);
    int TypeKey(std::uint8_t character) { return keys.TypeKey(character); }
    void PlaceCaret();
    // Opens the link's port, `failed` told when it does not open. A network address is
    // connected off the window's thread first ("Connecting to ..." meanwhile), and opened when
    // the connection is ready.
    void OpenLink(std::function<void()> failed);
    void BuildFont();
    void ClearScreen();
    // Draws the screen as the window shows it; used for printing too.
    void PaintScreen(QPainter& painter, const QRect& area);

    // A new capture: it may fill the store again, and is told so again; its lines are timed
    // afresh.
    void CaptureStarted() { capture.Started(); }
    [[nodiscard]] const CaptureStamps& CaptureTimes() const { return capture.Times(); }
    // View > Timestamps: the margin with the time each line began; kept in the settings.
    void ShowTimestamps(bool on);
    [[nodiscard]] bool TimestampsShown() const { return margin->Shown(); }
    [[nodiscard]] TimestampMargin& Margin() { return *margin; }
    [[nodiscard]] const QFont& TerminalFont() const { return font; }
    [[nodiscard]] bool TransferTimerRunning() const { return transferTimer.Running(); }
    [[nodiscard]] int BellsRung() const { return bellsRung; }
    // The characters of a row of the screen (empty before the font is built); the tests read
    // what the window shows through it.
    [[nodiscard]] std::string ScreenRow(int row) const;

    // LinkUi
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void SetWaitCursor(bool on) override;
    // the same timer the transfers start and stop
    void StartViewTimer() override { transferTimer.StartViewTimer(); }
    void StopViewTimer() override { transferTimer.StopViewTimer(); }
    void ShowCaret(bool show) override;
    void WakeForReceived() override;
    void Debug(const std::string& text) override;
    void ShowLinkStatus(const std::string& text) override;
    void SetReconnectTimer(bool on) override;

    // ReceiveTarget
    void AppendCapture(const std::uint8_t* bytes, std::size_t count) override;
    void FeedReceive(const std::uint8_t* bytes, std::size_t count) override;
    void ProcessScreen(const std::uint8_t* bytes, std::size_t count) override;
    // The margin's times follow every line, so with it shown every line is taken.
    [[nodiscard]] std::size_t HidingLineFeeds() const override {
        return screen && !margin->Shown() ? screen->HidingLineFeeds() : 0;
    }
    void OverrunScreen(const std::uint8_t* bytes, std::size_t count) override {
        if (screen) {
            screen->Overrun(bytes, count);
        }
    }

    // ScreenHost
    void Beep() override;
    void ReinjectLineFeed(std::size_t shown) override;
    void PromptCharacter(std::uint8_t byte) override { transfer->PromptCharacter(byte); }
    void PromptBackspace() override { transfer->PromptBackspace(); }

    void SetStartupBatch(StartupBatch batch) { transfer->SetStartupBatch(std::move(batch)); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void OnTransferTimer();
    // A document request was recorded; with no timer running it is carried out at once.
    void RequestRecorded();
    void DispatchReceived();
    void ApplyDamage();
    bool TakeReceived(std::chrono::milliseconds budget);
    void SyncScrollBars();

    StatusPanes& panes;
    ViewDocument& doc;
    SettingsStore& store;
    PromptPane prompt;
    DirectorySettings dirs;
    ConnectAhead connecting;          // before the link, whose ports take its connections
    std::function<void()> openFailed; // the open that waits for its connection
    SerialLink link;
    ReconnectDriver reconnect; // the device's return after a hang-up
    ViewDialogs dialogs;
    ViewTimer transferTimer;
    std::unique_ptr<TransferController> transfer;
    KeyTyper keys;
    ReceivedFrames frames;
    std::unique_ptr<ScreenModel> screen;
    QFont font;
    ScreenPainter cellPainter;
    TimestampMargin* margin = nullptr; // a child widget beside the viewport
    std::size_t pieceOffset = 0;       // where the piece the screen processes starts in its block
    CaptureFeed capture;
    BellLimiter bells;
    int bellsRung = 0;
    bool shownOnce = false; // received blocks wait for the first show
    QTimer caretBlink;
    bool caretVisible = true;
    ScrollBarSync bars;
    bool destroying = false; // the frame's panes may be gone already
    std::unique_ptr<TerminalCommands> commands;
};

} // namespace t8
