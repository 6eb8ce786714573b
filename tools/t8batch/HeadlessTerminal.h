#pragma once

#include "link/LinkUi.h"
#include "link/SerialLink.h"
#include "settings/DirectorySettings.h"
#include "terminal/KeyTyper.h"
#include "terminal/ScreenHost.h"
#include "terminal/ScreenModel.h"
#include "transfer/RequestDesk.h"
#include "transfer/TransferController.h"
#include "transfer/Unattended.h"

#include <functional>
#include <memory>

namespace t8 {

// The terminal view without a window: the link, the screen model (kept, never drawn, so the
// prompt is seen by the window's rules), the transfers and the keypad, wired as the view wires
// them. Received blocks go to a running receive or to the screen; nothing is captured. The host
// plays the transfers' messages, progress and timer; no file is chosen and no window opened
// (Unattended).
class HeadlessTerminal : public ReceiveTarget, public ScreenHost {
public:
    struct HostRoles {
        TransferMessages& messages;
        TransferProgress& progress;
        TransferTimer& timer;
    };

    HeadlessTerminal(LinkUi& linkUi, const HostRoles& host, SerialLink::PortFactory factory);
    HeadlessTerminal(const HeadlessTerminal&) = delete;
    HeadlessTerminal& operator=(const HeadlessTerminal&) = delete;
    ~HeadlessTerminal() override;

    // The record with its defaults and `load` applied (the stored settings); false when it
    // could not be made.
    bool CreateRecord(const SerialLink::RecordHook& load);

    [[nodiscard]] SerialLink& Link() { return link; }
    [[nodiscard]] TransferController& Transfers() { return *transfers; }
    [[nodiscard]] const TransferController& Transfers() const { return *transfers; }
    [[nodiscard]] DirectorySettings& Directories() { return dirs; }
    // True while the port is open; false once it closed or the device hung up.
    [[nodiscard]] bool Connected() const;
    // Called with each block of the device's text as it reaches the screen: not a receive's
    // data, not a wrap's own line feed, not the link's own lines.
    using TextHook = std::function<void(const std::uint8_t* bytes, std::size_t count)>;
    void OnDeviceText(TextHook hook) { deviceText = std::move(hook); }
    // Called with each block a running receive takes (the device's data, not its text).
    void OnReceiveData(TextHook hook) { receiveData = std::move(hook); }

    // ReceiveTarget
    void AppendCapture(const std::uint8_t*, std::size_t) override {}
    void FeedReceive(const std::uint8_t* bytes, std::size_t count) override;
    void ProcessScreen(const std::uint8_t* bytes, std::size_t count) override;

    // ScreenHost
    void Beep() override {}
    void ReinjectLineFeed(std::size_t shown) override;
    void PromptCharacter(std::uint8_t byte) override { transfers->PromptCharacter(byte); }
    void PromptBackspace() override { transfers->PromptBackspace(); }

private:
    // No document: nothing is ever opened from the shell here.
    struct NoRequests final : RequestDesk {
        std::uint32_t TakePendingRequest(std::string&) override { return kNone; }
        bool OnNewDocument() override { return true; }
    };

    NoRequests desk;
    Unattended unattended;
    DirectorySettings dirs;
    SerialLink link;
    std::unique_ptr<TransferController> transfers;
    std::unique_ptr<KeyTyper> keys;
    std::unique_ptr<ScreenModel> screen;
    TextHook deviceText;
    TextHook receiveData;
    bool wrapping = false; // a wrap's line feed is being shown
};

} // namespace t8
