#include "terminal/ui/CProgTermView.h"

#include "commands/CommandIds.h"
#include "link/AppName.h"
#include "settings/FontMapping.h"
#include "settings/SettingsStore.h"
#include "terminal/ui/CellGlyphs.h"
#include "terminal/ui/KeyBytes.h"
#include "terminal/ui/StatusPanes.h"
#include "terminal/ui/TerminalCommands.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>

#include <utility>

namespace t8 {

Q_LOGGING_CATEGORY(lcLink, "t8.link", QtWarningMsg)

CProgTermView::CProgTermView(StatusPanes& panes_, ViewDocument& doc_, SettingsStore& store_,
                             QWidget* parent)
    : QAbstractScrollArea(parent), panes(panes_), doc(doc_), store(store_), prompt(panes_),
      dirs(DirectorySettings::AtCurrentDirectory()), link(*this, *this, connecting.Ports(MakePort)),
      reconnect(link, connecting, *this, [this] { ApplyDamage(); }), dialogs(*this, prompt, link),
      transferTimer(kTransferTimerMs, prompt, link, [this] { OnTransferTimer(); }),
      transfer(std::make_unique<TransferController>(
          link, TransferRoles{dialogs, dialogs, dialogs, transferTimer, dialogs}, doc, dirs,
          [this](std::uint8_t c) { return TypeKey(c); })),
      keys(link, *transfer),
      frames([this](std::chrono::milliseconds budget) { return TakeReceived(budget); },
             [this] { ApplyDamage(); }),
      capture(doc_, dialogs, *this), bars(*this),
      commands(std::make_unique<TerminalCommands>(TerminalCommands::Parts{
          *this, link, doc, store, dirs, *transfer, dialogs, transferTimer})) {
    setObjectName("CProgTermView");
    margin = new TimestampMargin(*this, font);
    link.ExamineFailedOpens(SystemRoots{}); // the operator is told what keeps a port closed
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    doc.SetRequestListener([this] { RequestRecorded(); });
    const int flash = QApplication::cursorFlashTime();
    caretBlink.setInterval(flash > 0 ? flash / 2 : 500);
    connect(&caretBlink, &QTimer::timeout, this, [this] {
        caretVisible = !caretVisible;
        const PixelPoint at = screen ? screen->CaretPosition() : PixelPoint{};
        const TTYInfo* tty = link.Record();
        if (tty) {
            viewport()->update(at.x, at.y, tty->screen.charWidth, tty->screen.charHeight);
        }
    });
}

CProgTermView::~CProgTermView() {
    destroying = true;
    prompt.Silence();
    doc.SetRequestListener({});
    link.DestroyLinkRecord(); // saves the settings, then closes the port
}

void CProgTermView::OnCommand(int id) {
    commands->Run(id);
}

void CProgTermView::ClearScreen() {
    transfer->ScreenCleared();
    if (screen) {
        screen->Clear();
        (void)screen->TakeDamage();
    }
    margin->Clear();
    viewport()->update();
    PlaceCaret();
}

int CProgTermView::OnCreate(const std::string& portOverride) {
    const auto logFailure = [this](const StoreStatus& status) {
        if (!status.ok) {
            Debug(status.message);
        }
    };
    link.SetHooks({[this, logFailure](TTYInfo& tty) { logFailure(store.LoadSettings(tty, dirs)); },
                   [this, logFailure](TTYInfo& tty) { logFailure(store.SaveSettings(tty, dirs)); },
                   [this](TTYInfo&) { BuildFont(); }});
    if (link.CreateLinkRecord() < 0) {
        return -1;
    }
    margin->Attach(*link.Record());
    ShowTimestamps(link.Record()->look.timestamps != 0);
    link.SetPortOverride(portOverride);
    OpenLink([this] {
        dialogs.ShowMessage(link.OpenFailureMessage(), kAppName, MessageIcon::Exclamation);
    });
    return 0;
}

void CProgTermView::OpenLink(std::function<void()> failed) {
    const std::string address = link.DevicePath();
    const bool waiting = connecting.Start(address, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                prompt.ShowLinkStatus(""); // the link's own texts follow, or the ready text
                OpenLink(std::exchange(openFailed, nullptr));
            },
            Qt::QueuedConnection);
    });
    if (waiting) {
        openFailed = std::move(failed);
        prompt.ShowLinkStatus("Connecting to " + address + "...");
        return;
    }
    if (!link.OpenPort() && failed) {
        failed();
    }
}

void CProgTermView::BuildFont() {
    TTYInfo* tty = link.Record();
    if (!tty) {
        return;
    }
    if (!screen) {
        screen = std::make_unique<ScreenModel>(*tty, link.flags, *this);
    }
    font = FontFromLogFont(tty->look.logFont);
    font.setStyleHint(QFont::TypeWriter, QFont::PreferDefault);
    const QSize cell = CellGlyphs::CellSize(font, viewport());
    screen->SetCellSize(cell.width(), cell.height());
    cellPainter.Build(font, tty->look.logFont.charSet == kCharSetOem,
                      QSize(tty->screen.charWidth, tty->screen.charHeight));
    setViewportMargins(margin->Width(), 0, 0, 0); // the times' width follows the font
    screen->Resize(viewport()->width(), viewport()->height());
    SyncScrollBars();
    viewport()->update();
}

void CProgTermView::ShowTimestamps(bool on) {
    if (TTYInfo* tty = link.Record()) {
        tty->look.timestamps = on ? 1 : 0;
        margin->SetShown(on);
        setViewportMargins(margin->Width(), 0, 0, 0); // the rows re-shape to what is left
        margin->Place();
    }
    panes.SetCommandChecked(cmd::kViewTimestamps, margin->Shown());
}

void CProgTermView::ShowMessage(const std::string& text, const std::string& caption,
                                MessageIcon icon) {
    dialogs.ShowMessage(text, caption, icon);
}

void CProgTermView::ShowLinkStatus(const std::string& text) {
    prompt.ShowLinkStatus(text);
}

void CProgTermView::SetReconnectTimer(bool on) {
    reconnect.SetRetryTimer(on);
}

void CProgTermView::SetWaitCursor(bool on) {
    on ? QApplication::setOverrideCursor(Qt::WaitCursor) : QApplication::restoreOverrideCursor();
}

void CProgTermView::ShowCaret(bool show) {
    show&& hasFocus() ? caretBlink.start() : caretBlink.stop();
    caretVisible = true;
    PlaceCaret();
}

void CProgTermView::WakeForReceived() {
    // Reader thread: one queued call per wake; the queue itself coalesces the wakes.
    QMetaObject::invokeMethod(
        this, [this] { DispatchReceived(); }, Qt::QueuedConnection);
}

void CProgTermView::Debug(const std::string& text) {
    qCDebug(lcLink).noquote() << QString::fromStdString(text).trimmed();
}

void CProgTermView::DispatchReceived() {
    if (!shownOnce) {
        return; // the blocks wait until the screen has its real shape
    }
    frames.Wake();
}

bool CProgTermView::TakeReceived(std::chrono::milliseconds budget) {
    // Nothing reads the record's cells between the blocks of one dispatch, so the screen puts
    // its rows in order once, after the last.
    if (screen) {
        screen->BeginBlocks();
    }
    const bool more = link.DispatchReceived(budget);
    if (screen) {
        screen->EndBlocks();
    }
    return more;
}

void CProgTermView::AppendCapture(const std::uint8_t* bytes, std::size_t count) {
    capture.Append(bytes, count);
}

void CProgTermView::FeedReceive(const std::uint8_t* bytes, std::size_t count) {
    transfer->FeedReceive(bytes, count);
}

void CProgTermView::ProcessScreen(const std::uint8_t* bytes, std::size_t count) {
    if (screen) {
        margin->Feed(bytes, count,
                     [this](const std::uint8_t* piece, std::size_t length, std::size_t offset) {
                         const std::size_t outer = std::exchange(pieceOffset, offset);
                         screen->Process(piece, length);
                         pieceOffset = outer;
                     });
    }
}

void CProgTermView::Beep() {
    if (bells.Ring(BellLimiter::Clock::now())) {
        ++bellsRung;
        QApplication::beep();
    }
}

void CProgTermView::ReinjectLineFeed(std::size_t shown) {
    link.ShowWrapLineFeed(pieceOffset + shown); // counted from the start of the whole block
}

void CProgTermView::OnTransferTimer() {
    // The transfers read the record's cells; a box opened inside a dispatch lets this tick run
    // while the screen's rows are still turned.
    if (screen) {
        screen->StraightenRows();
    }
    transfer->OnTransferTimer();
    prompt.ClearStaleAddressPrompt(link.Record());
    ApplyDamage();
    PlaceCaret();
}

void CProgTermView::RequestRecorded() {
    // Queued: the request may be recorded at start-up, before the window is shown.
    QTimer::singleShot(0, this, [this] {
        if (!transferTimer.Running()) {
            transfer->CarryOutRequest();
            ApplyDamage();
        }
    });
}

void CProgTermView::ApplyDamage() {
    if (!screen) {
        return;
    }
    const ScreenDamage damage = screen->TakeDamage();
    if (damage.IsEmpty()) {
        return;
    }
    if (damage.wholeClient || damage.scrolledX != 0 || damage.scrolledY != 0) {
        viewport()->update();
    } else {
        viewport()->update(damage.cells.left, damage.cells.top,
                           damage.cells.right - damage.cells.left,
                           damage.cells.bottom - damage.cells.top);
    }
    SyncScrollBars();
    PlaceCaret();
    margin->update(); // new times, or rows moved under them
}

void CProgTermView::SyncScrollBars() {
    if (screen) {
        bars.Show(*screen);
    }
}

void CProgTermView::scrollContentsBy(int, int) {
    if (!screen || !bars.Follow(*screen)) {
        return;
    }
    viewport()->update();
    margin->update();
    PlaceCaret();
}

// Until the window is first shown its client area is a placeholder: what the device sent so far
// is laid out once the real size is known.
void CProgTermView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (!shownOnce) {
        shownOnce = true;
        WakeForReceived(); // for the blocks held back until now
    }
}

void CProgTermView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    margin->Place();
    if (screen) {
        screen->Resize(viewport()->width(), viewport()->height());
        (void)screen->TakeDamage();
        SyncScrollBars();
        viewport()->update();
    }
}

std::string CProgTermView::ScreenRow(int row) const {
    const auto cells = screen ? screen->Row(row) : std::span<const std::uint8_t>();
    return {cells.begin(), cells.end()};
}

void CProgTermView::PaintScreen(QPainter& painter, const QRect& area) {
    cellPainter.Paint(painter, area, link.Record(), screen.get());
}

void CProgTermView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    PaintScreen(painter, event->rect());
    const TTYInfo* tty = link.Record();
    if (tty && tty->screen.caretShown && caretVisible && hasFocus() && screen) {
        ScreenPainter::PaintCaret(painter, screen->CaretPosition(), tty->screen);
    }
}

void CProgTermView::PlaceCaret() {
    const TTYInfo* tty = link.Record();
    if (!tty || !screen || destroying) {
        return;
    }
    panes.SetCursorPosition(tty->screen.column, tty->screen.row);
    const PixelPoint at = screen->CaretPosition();
    viewport()->update(at.x, at.y, tty->screen.charWidth, tty->screen.charHeight);
}

void CProgTermView::keyPressEvent(QKeyEvent* event) {
    const std::string typed = KeyBytes(event->key(), event->text());
    if (typed.empty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    for (const char c : typed) {
        TypeKey(static_cast<std::uint8_t>(c));
    }
    ApplyDamage();
}

// Tab goes to the device.
bool CProgTermView::focusNextPrevChild(bool) {
    return false;
}

void CProgTermView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    TTYInfo* tty = link.Record();
    if (tty && tty->line.connected) {
        tty->screen.caretShown = 1;
        ShowCaret(true);
    }
}

void CProgTermView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    caretBlink.stop();
    PlaceCaret();
}

// The right button does nothing in the terminal; the others only take the focus.
void CProgTermView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
    }
    event->accept();
}
void CProgTermView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void CProgTermView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace t8
