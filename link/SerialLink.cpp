#include "link/SerialLink.h"

#include "link/CommError.h"
#include "link/HiddenText.h"
#include "link/LinkNotices.h"
#include "link/OpenFailureReport.h"

#include <cerrno>
#include <new>
#include <utility>

namespace t8 {

SerialLink::SerialLink(LinkUi& ui_, ReceiveTarget& target, PortFactory factory_)
    : ui(ui_), factory(std::move(factory_)), received(target, flags),
      reconnector([this](const std::string& path) { return Reconnect(path); }) {
    if (!factory) {
        factory = MakePort;
    }
}

SerialLink::~SerialLink() {
    if (tty) {
        DestroyLinkRecord();
    }
}

int SerialLink::CreateLinkRecord() {
    tty.reset(new (std::nothrow) TTYInfo());
    if (!tty) {
        ui.ShowMessage("Cannot create TTYInfo Structure", "TERMINAL::internal error",
                       MessageIcon::None);
        return -1;
    }
    if (hooks.loadSettings) {
        hooks.loadSettings(*tty);
    }
    if (hooks.buildFont) {
        hooks.buildFont(*tty);
    }
    return 1;
}

void SerialLink::DestroyLinkRecord() {
    if (!tty) {
        return;
    }
    if (hooks.saveSettings) {
        hooks.saveSettings(*tty);
    }
    if (tty->line.connected || port) {
        ClosePort();
    }
    tty.reset();
}

std::string SerialLink::DevicePath() const {
    return tty ? device.Path(tty->com) : std::string();
}

std::string SerialLink::OpenFailureMessage() const {
    if (!tty) {
        return {};
    }
    return OpenFailureReport(device.Name(tty->com), DevicePath(), tty->com.Line(), lastOpenError,
                             doctorRoots);
}

int SerialLink::OpenPort() {
    if (!tty) {
        return 0;
    }
    const bool resume = std::exchange(resumeWait, false);
    reconnector.Cancel();
    ui.SetReconnectTimer(false);
    const std::string path = DevicePath();
    // the device awaited behind a link left from before: that link leads elsewhere now
    const bool stale = resume && device.Stale(path);
    if (stale) {
        lastOpenError = LinkError::FromErrno(ENOENT);
    }
    const int result = stale ? 0 : OpenAt(path);
    if (result != 0) {
        device.Opened(path);
        if (std::exchange(linkStatusShown, false)) {
            ui.ShowLinkStatus(""); // the pane's ready text again
        }
    } else if (resume && ReconnectWanted() && reconnector.Await(device.Awaited(path))) {
        awaitedPath = path;
        ShowStatus(WaitingStatus(path));
        ui.SetReconnectTimer(reconnector.RetryPending()); // a network port retries on a timer
    }
    return result;
}

int SerialLink::OpenAt(const std::string& path) {
    if (port) {
        // a reopen must never leave the old reader beside the new one
        ReleasePort(LineLoss::Closed);
    }
    ui.SetWaitCursor(true);
    OpenedPort opened = OpenAddress(factory, path);
    lastOpenError = opened.error;
    port = std::move(opened.port);
    networkLine = !AddressScheme(path).empty();
    if (!port) {
        ui.SetWaitCursor(false);
        return 0;
    }
    int result = 0;
    if (!ConfigurePort()) {
        lastOpenError = port->LastError();
        ShutDownPort();
    } else {
        tty->line.connected = 1;
        tty->line.echoActive = tty->com.comLocalEcho;
        if (StartReader()) {
            port->SetDtr(true);
            ui.ShowCaret(true);
            tty->screen.caretShown = 1;
            hangUpReported = false;
            result = 1;
        } else {
            // no thread to read with: the system's limit, not another program's hold
            lastOpenError = {LinkErrorKind::Other, EAGAIN};
            ShutDownPort();
        }
    }
    ui.SetWaitCursor(false);
    ui.StartViewTimer();
    return result;
}

bool SerialLink::StartReader() {
    const bool watchXonXoff = (tty->com.flowCtrl & kFlowXonXoff) != 0;
    reader = std::make_unique<ReaderThread>(
        *port, queue, [this] { ui.WakeForReceived(); }, watchXonXoff);
    reader->HoldFlowControl(flowHeld);
    if (!reader->Start()) {
        reader.reset();
        return false;
    }
    tty->line.readerRunning = 1;
    return true;
}

int SerialLink::ConfigurePort() {
    if (!tty || !port) {
        return 0;
    }
    const bool ok = port->Configure(tty->com.Line());
    if (ok && !(tty->com.flowCtrl & kFlowRtsCts)) {
        port->SetRts(true); // no handshake: RTS simply enabled
    }
    // An XOFF taken under earlier settings must not hold these: a pty keeps it across reopens.
    port->SuspendOutput(false);
    port->Purge();
    return ok ? 1 : 0;
}

bool SerialLink::Reconfigure() {
    return networkLine && port && ConfigurePort() != 0;
}

void SerialLink::ShutDownPort() {
    if (tty) {
        tty->line.connected = 0;
    }
    if (reader) {
        reader->Stop();
        reader.reset();
    }
    queue.ForgetHangUps(); // one not yet taken is this port's: it must not end the next
    if (tty) {
        tty->line.readerRunning = 0;
        if (tty->screen.caretShown) {
            ui.ShowCaret(false);
            tty->screen.caretShown = 0;
        }
    }
    if (port) {
        port->SuspendOutput(false); // leave no held transmitter to the device's next opener
        port->SetDtr(false);
        port->Purge();
        port->Close();
        port.reset();
    }
}

int SerialLink::ClosePort() {
    if (!tty) {
        return 1;
    }
    if (reconnector.Awaiting()) {
        // the operator's close is no hang-up: the wait stops, and goes on only if the reopen
        // that follows finds no device
        resumeWait = true;
        reconnector.Cancel();
        ui.SetReconnectTimer(false);
        ShowStatus(ClosedAfterLossStatus(awaitedPath));
    }
    ReleasePort(LineLoss::Closed);
    ui.StopViewTimer();
    return 1;
}

std::string SerialLink::ReleasePort(LineLoss why) {
    const bool hadPort = port != nullptr;
    ShutDownPort();
    if (!hadPort) {
        return {};
    }
    return watches.NotifyAll(why);
}

WriteResult SerialLink::WriteAvailable(const std::uint8_t* bytes, std::size_t count) {
    if (!port) {
        WriteResult gone;
        gone.error = ENOTCONN;
        return gone;
    }
    return port->WriteAvailable(bytes, count);
}

std::size_t SerialLink::OutputQueued() const {
    return port ? port->OutputQueued() : 0;
}

void SerialLink::DiscardOutput() {
    if (port) {
        port->DiscardOutput();
    }
}

void SerialLink::HoldFlowControl(bool hold) {
    flowHeld = hold;
    if (reader) {
        reader->HoldFlowControl(hold);
    }
}

int SerialLink::SendBytes(std::string_view text) {
    return SendBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

int SerialLink::SendBytes(const std::uint8_t* bytes, std::size_t count) {
    if (!tty) {
        return 0;
    }
    if (!port) {
        RefuseInput(); // nothing is kept to be sent later
        return 0;
    }
    const std::uint32_t status = port->ModemStatus();
    const bool ctsMissing = (tty->com.flowCtrl & kFlowRtsCts) && !(status & kModemCts);
    const bool dsrMissing = (tty->com.flowCtrl & kFlowDtrDsr) && !(status & kModemDsr);
    if (ctsMissing || dsrMissing) {
        ui.ShowMessage(kNotConnected, "", MessageIcon::None);
        return 0;
    }
    if ((tty->com.flowCtrl & kFlowXonXoff) && flags.txAllowed == 0) {
        return 0;
    }
    const std::uint32_t timeoutMs =
        WriteTimeoutPerByteMs(tty->com.baudRate) * static_cast<std::uint32_t>(count);
    const WriteResult written = port->Write(bytes, count, timeoutMs);
    if (written.error != 0 && written.written == 0) {
        return 0; // failed at once: nothing went out
    }
    if (written.error != 0) {
        ShowCommError(written.error);
    }
    if (written.written == count) {
        ui.Debug("\n" + std::to_string(written.written) + " bytes written");
    } else {
        ui.Debug("\nProbable Write Timeout: Total of " + std::to_string(written.written) +
                 " bytes sent");
    }
    return 1;
}

int SerialLink::ShowReceived(const std::uint8_t* bytes, std::size_t count) {
    return received.Show(tty.get(), bytes, count);
}

int SerialLink::ShowWrapLineFeed(std::size_t shown) {
    return received.ShowWrapLineFeed(tty.get(), shown);
}

// The error's code is shown as if the device had sent it.
void SerialLink::ShowCommError(int error) {
    const std::string code = FormatCommError(error);
    ShowReceived(reinterpret_cast<const std::uint8_t*>(code.data()), code.size());
}

void SerialLink::DispatchReceived() {
    DispatchEvents(queue.TakeAll());
}

bool SerialLink::DispatchReceived(std::chrono::steady_clock::duration budget) {
    constexpr std::size_t kSlice = 64 * 1024; // a slice's text takes well under a millisecond
    // Once a slice hid some of its text, larger ones: all but their last lines are only
    // overrun. Text that hides nothing (bells, no line ends) keeps to plain slices.
    constexpr std::size_t kOverrunSlice = 16 * kSlice;
    const auto start = std::chrono::steady_clock::now();
    do {
        const bool large = lastSliceHid && received.HidingLineFeeds(tty.get()) > 0;
        DispatchEvents(queue.TakeUpTo(large ? kOverrunSlice : kSlice));
    } while (!queue.Empty() && std::chrono::steady_clock::now() - start < budget);
    return !queue.Empty();
}

void SerialLink::DispatchEvents(std::deque<ReceivedEvent> events) {
    std::size_t receivedBytes = 0;
    // In a flood, most of what a dispatch takes would scroll off before it could be seen.
    const auto shownFrom = FirstShownPoint(events, received.HidingLineFeeds(tty.get()));
    lastSliceHid = shownFrom.has_value();
    for (std::size_t index = 0; index < events.size(); ++index) {
        ReceivedEvent& event = events[index];
        switch (event.kind) {
        case ReceivedEvent::Kind::Data:
            received.ShowPartly(tty.get(), event.bytes.data(), event.bytes.size(),
                                HiddenBytes(shownFrom, index, event.bytes.size()));
            receivedBytes += event.bytes.size();
            break;
        case ReceivedEvent::Kind::CommError:
            ShowCommError(event.error);
            break;
        case ReceivedEvent::Kind::HangUp:
            ReportHangUp();
            break;
        }
    }
    queue.Recycle(events);
    if (receivedBytes > 0) {
        // summed up from outside, these time how fast the window takes a flood
        ui.Debug("\n" + std::to_string(receivedBytes) + " bytes received");
    }
}

void SerialLink::ReportHangUp() {
    if (hangUpReported || !tty) {
        return;
    }
    hangUpReported = true;
    const std::string path = DevicePath();
    // The reader has ended; free the device so it can be opened again. The running transfers
    // end here, and say what became of their data.
    const std::string notes = ReleasePort(LineLoss::HangUp);
    ui.StopViewTimer(); // as after a close: nothing is left for it to do
    // no message box: the window stays usable while the device is away
    const bool awaited = ReconnectWanted() && reconnector.Await(device.Identity());
    ui.SetReconnectTimer(reconnector.RetryPending()); // a network port retries on a timer
    awaitedPath = path;
    const LinkNotice notice = LostNotice(path, awaited, notes);
    ShowStatus(notice.status);
    ShowOnScreen(notice.terminal);
}

bool SerialLink::ReconnectWanted() const {
    return tty && tty->com.comReconnect != 0 && reconnectAllowed;
}

void SerialLink::OnDeviceEvent() {
    (void)reconnector.OnWatchEvent(); // also takes the events nobody waits for
    ui.SetReconnectTimer(reconnector.RetryPending());
}

void SerialLink::OnReconnectTimer() {
    (void)reconnector.OnRetryTimer();
    ui.SetReconnectTimer(reconnector.RetryPending());
}

bool SerialLink::Reconnect(const std::string& path) {
    if (!tty || OpenAt(path) == 0) {
        return false;
    }
    // the same device: the settings and the terminal are as they were
    const LinkNotice notice = ReconnectedNotice(device.Reconnected(path, tty->com));
    ShowStatus(notice.status);
    ShowOnScreen(notice.terminal);
    return true;
}

void SerialLink::RefuseInput() {
    ShowStatus(RefusedStatus(reconnector.Awaiting() ? awaitedPath : std::string()));
}

void SerialLink::ShowStatus(const std::string& text) {
    ui.ShowLinkStatus(text);
    linkStatusShown = true;
}

void SerialLink::ShowOnScreen(const std::string& text) {
    if (tty) {
        received.ShowNotice(*tty, text);
    }
}

} // namespace t8
