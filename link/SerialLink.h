#pragma once

#include "link/DeviceChoice.h"
#include "link/LineWatchList.h"
#include "link/LinkError.h"
#include "link/LinkFlags.h"
#include "link/LinkUi.h"
#include "link/PortDoctor.h"
#include "link/PortFactory.h"
#include "link/PortInterface.h"
#include "link/ReaderThread.h"
#include "link/ReceiveDispatch.h"
#include "link/ReceiveQueue.h"
#include "link/Reconnector.h"
#include "link/TTYInfo.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t8 {

// The connection record with its port and reader: opening, configuring and closing the line,
// the one send routine and the one entry point for received data. After a hang-up it waits for
// the device to come back and reopens it with the same settings (unless switched off); an
// explicit close never starts that wait. Lives on the user-interface thread; only the reader
// thread inside it runs elsewhere.
class SerialLink {
public:
    using PortFactory = t8::PortFactory;
    using RecordHook = std::function<void(TTYInfo&)>;

    struct Hooks {
        RecordHook loadSettings; // fills the record from the store after the defaults
        RecordHook saveSettings; // writes it back when the record is destroyed
        RecordHook buildFont;    // font and cell metrics from logFont
    };

    // The ports come from `factory`; MakePort's when none is given.
    SerialLink(LinkUi& ui, ReceiveTarget& target, PortFactory factory = {});
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;
    ~SerialLink();

    void SetHooks(Hooks hooks_) { hooks = std::move(hooks_); }

    // 1 on success, -1 when the record cannot be made (the operator is told).
    int CreateLinkRecord();
    void DestroyLinkRecord();
    // Non-zero on success. Never leaves a second reader running. Ends a wait for the device;
    // one interrupted by the ClosePort just before goes on when this open fails.
    int OpenPort();
    int ConfigurePort();
    int ClosePort();
    // Applies the record's line settings to the open port and keeps it open, where the port
    // changes them on its connection: a network line, whose server would close and reopen the
    // device for a reopen of ours. False, with nothing done, for a device (closed and reopened
    // to change them), and when the port did not take the settings.
    [[nodiscard]] bool Reconfigure();

    // 1 when handed to the port (also in part), 0 when nothing was sent.
    int SendBytes(const std::uint8_t* bytes, std::size_t count);
    int SendBytes(std::string_view text);

    // The streams' door to the line: writes what the line takes now and returns at once, so a
    // slow line never holds the window. No connection check: the driver applies the handshake.
    // Fails with ENOTCONN once the port is gone.
    [[nodiscard]] WriteResult WriteAvailable(const std::uint8_t* bytes, std::size_t count);
    // Bytes waiting in the driver to go out (0 where the driver cannot tell, as on a pty).
    [[nodiscard]] std::size_t OutputQueued() const;
    // Drops what still waits to go out, so what is sent next follows at once.
    void DiscardOutput();
    [[nodiscard]] bool LineOpen() const { return port != nullptr; }
    // While a receive is armed or runs, the device's bytes are its data: XON/XOFF among them
    // must not hold our output.
    void HoldFlowControl(bool hold);
    // 1 when dispatched, 0 without a record.
    int ShowReceived(const std::uint8_t* bytes, std::size_t count);
    // The screen wrapped after the first `shown` bytes of the block it is showing: dispatches
    // the wrap's line feed, captured at that point of the block.
    int ShowWrapLineFeed(std::size_t shown);
    // Runs every queued block through ShowReceived; called on the user-interface thread.
    void DispatchReceived();
    // Runs queued blocks through ShowReceived for about `budget`, so that a flood never keeps
    // the window from its input for longer; true when blocks are left for the next call (no
    // wake-up comes for them).
    bool DispatchReceived(std::chrono::steady_clock::duration budget);
    // True while a line of the link's own (not the device's) is on its way to the screen.
    [[nodiscard]] bool ShowingNotice() const { return received.ShowingNotice(); }

    [[nodiscard]] TTYInfo* Record() { return tty.get(); }
    [[nodiscard]] const TTYInfo* Record() const { return tty.get(); }
    [[nodiscard]] bool ReaderRunning() const { return reader && reader->Running(); }
    // The device to open: the override, else the record's explicit path, else the mapped port.
    [[nodiscard]] std::string DevicePath() const;
    // A device named for this run only (the command line); never stored in the record.
    void SetPortOverride(std::string path) { device.SetOverride(std::move(path)); }
    [[nodiscard]] const std::string& PortOverride() const { return device.Override(); }
    // The start-up message for a port that could not be opened.
    [[nodiscard]] std::string OpenFailureMessage() const;
    // From now on the start-up message for a device that does not open also says what the
    // port doctor finds there (`roots`: where it looks).
    void ExamineFailedOpens(SystemRoots roots) { doctorRoots = std::move(roots); }
    // Why the last open failed; None after one that worked.
    [[nodiscard]] const LinkError& LastOpenError() const { return lastOpenError; }

    // The descriptor the window waits on for the device's return (quiet while nothing is
    // awaited); OnDeviceEvent when it is readable, OnReconnectTimer while the UI's retry timer
    // runs. Both reconnect the device when they can.
    [[nodiscard]] int DeviceWatchFd() const { return reconnector.Fd(); }
    void OnDeviceEvent();
    void OnReconnectTimer();
    // Where the next OnReconnectTimer tries to open the device, when it tries; else empty.
    [[nodiscard]] std::string ReconnectDueAt() const {
        return reconnector.RetryDue() ? reconnector.Awaited().ReopenPath() : std::string();
    }
    [[nodiscard]] bool AwaitingDevice() const { return reconnector.Awaiting(); }
    // For this run only (the command line): false keeps a hang-up from being followed by a wait
    // for the device, whatever the record's setting.
    void AllowReconnect(bool allow) { reconnectAllowed = allow; }
    [[nodiscard]] bool ReconnectAllowed() const { return reconnectAllowed; }
    // What the open device is known by; set by every successful OpenPort.
    [[nodiscard]] const DeviceIdentity& Identity() const { return device.Identity(); }
    // The folder of stable device names; tests give their own.
    void SetStableNameFolder(std::string folder) { device.SetStableNameFolder(std::move(folder)); }
    // A key or command found the port closed: the status bar says why.
    void RefuseInput();

    LinkFlags flags;

    static constexpr const char* kNotConnected =
        "T8 is not connected, Please check cable and setup";

private:
    void DispatchEvents(std::deque<ReceivedEvent> events);
    friend class LineWatch;
    void Attach(LineWatch& watch) { watches.Attach(watch); }
    void Detach(LineWatch& watch) { watches.Detach(watch); }
    // Closes the port and tells the running transfers; returns their notes for the operator.
    std::string ReleasePort(LineLoss why);

    int OpenAt(const std::string& path);
    bool Reconnect(const std::string& path);
    [[nodiscard]] bool ReconnectWanted() const;
    // The status bar's pane shows one of the link's texts until the port is open again.
    void ShowStatus(const std::string& text);
    void ShowOnScreen(const std::string& text);
    void ShowCommError(int error);
    void ShutDownPort();
    void ReportHangUp();
    [[nodiscard]] bool StartReader();

    LinkUi& ui;
    PortFactory factory;
    Hooks hooks;
    std::unique_ptr<TTYInfo> tty;
    std::unique_ptr<PortInterface> port;
    ReceiveQueue queue;
    std::unique_ptr<ReaderThread> reader;
    ReceiveDispatch received;
    LineWatchList watches;
    DeviceChoice device;
    Reconnector reconnector;
    bool reconnectAllowed = true;
    bool lastSliceHid = false;    // the last dispatch only overran some of its text
    std::string awaitedPath;      // the path the operator was told of at the hang-up
    bool resumeWait = false;      // ClosePort interrupted a wait for the device
    bool linkStatusShown = false; // the status bar shows one of the link's texts
    LinkError lastOpenError;
    std::optional<SystemRoots> doctorRoots;
    bool hangUpReported = false;
    bool flowHeld = false;
    bool networkLine = false; // the open port is served over the network
};

} // namespace t8
