#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace t8 {

enum class MessageIcon { None, Information, Exclamation, Error, Question };

// What the link needs from the window, so the link itself has no widget dependency.
// Every call comes on the user-interface thread except WakeForReceived.
class LinkUi {
public:
    LinkUi() = default;
    LinkUi(const LinkUi&) = delete;
    LinkUi& operator=(const LinkUi&) = delete;
    virtual ~LinkUi() = default;

    // An empty caption means the application's title.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    virtual void SetWaitCursor(bool on) = 0;
    // The view's 250 ms timer that drives the transfers.
    virtual void StartViewTimer() = 0;
    virtual void StopViewTimer() = 0;
    virtual void ShowCaret(bool show) = 0;
    // Called on the reader thread when blocks wait; the window then calls DispatchReceived.
    virtual void WakeForReceived() = 0;
    // Diagnostics for the link's logging category; never shown to the operator.
    virtual void Debug(const std::string& text) = 0;
    // The state of the line for the operator, in the status bar's first pane; empty gives the
    // pane back to its ready text.
    virtual void ShowLinkStatus(const std::string& text) = 0;
    // Runs the reconnect's retry timer (every Reconnector::kRetryMs, calling
    // SerialLink::OnReconnectTimer) while `on`.
    virtual void SetReconnectTimer(bool on) = 0;
};

// Where received blocks go; implemented by the view (capture store, receive, screen model).
class ReceiveTarget {
public:
    ReceiveTarget() = default;
    ReceiveTarget(const ReceiveTarget&) = delete;
    ReceiveTarget& operator=(const ReceiveTarget&) = delete;
    virtual ~ReceiveTarget() = default;

    virtual void AppendCapture(const std::uint8_t* bytes, std::size_t count) = 0;
    // bytes[count] is a zero byte, so the receive may treat the block as a string.
    virtual void FeedReceive(const std::uint8_t* bytes, std::size_t count) = 0;
    virtual void ProcessScreen(const std::uint8_t* bytes, std::size_t count) = 0;
    // How many line feeds in a row leave nothing on the screen of what came before them,
    // wherever the cursor stood; 0 when the screen must see every byte (as t8batch's does, for
    // its transcript).
    [[nodiscard]] virtual std::size_t HidingLineFeeds() const { return 0; }
    // Text that the text after it hides from the screen: only what outlasts the screen is
    // applied (bells, the prompt character, flow control).
    virtual void OverrunScreen(const std::uint8_t* /*bytes*/, std::size_t /*count*/) {}
};

} // namespace t8
