#pragma once

#include "link/LinkFlags.h"
#include "link/LinkUi.h"
#include "link/TTYInfo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace t8 {

// Where the link's received blocks go: to a running receive; else to the screen, with the
// capture following as far as the screen has shown, so that a wrap's line feed is captured where
// the wrap happened; or, while the display is held, to the capture alone. The link's own lines
// go to the screen only. Re-entered from inside the screen's processing (a wrap's line feed, an
// error text), so a nested block never disturbs the outer one.
class ReceiveDispatch {
public:
    ReceiveDispatch(ReceiveTarget& target, const LinkFlags& flags);
    ReceiveDispatch(const ReceiveDispatch&) = delete;
    ReceiveDispatch& operator=(const ReceiveDispatch&) = delete;

    // 1 when dispatched, 0 without a record.
    int Show(const TTYInfo* tty, const std::uint8_t* bytes, std::size_t count);
    // The screen wrapped after the first `shown` bytes of the block it is showing: dispatches
    // the wrap's line feed, captured at that point of the block.
    int ShowWrapLineFeed(const TTYInfo* tty, std::size_t shown);
    // A line of the link's own: never captured, never to a receive, and shown also while a
    // receive holds the display.
    void ShowNotice(const TTYInfo& tty, const std::string& text);
    // HidingLineFeeds of the screen while the screen alone takes received text (no receive, no
    // capture, no hold, no address prompt, nothing on its way already); 0 otherwise.
    [[nodiscard]] std::size_t HidingLineFeeds(const TTYInfo* tty) const;
    // A received block whose first `hidden` bytes the text after them hides from the screen:
    // those are only overrun, the rest shown.
    int ShowPartly(const TTYInfo* tty, const std::uint8_t* bytes, std::size_t count,
                   std::size_t hidden);
    // True while a line of the link's own is on its way to the screen.
    [[nodiscard]] bool ShowingNotice() const { return noticeOnScreen; }

private:
    // Nested blocks up to this size are copied on the stack.
    static constexpr std::size_t kSmallBlock = 15;

    int Dispatch(const TTYInfo& tty, const std::uint8_t* block, std::size_t count);
    void CaptureShownUpTo(std::size_t end);

    ReceiveTarget& target;
    const LinkFlags& flags;
    std::vector<std::uint8_t> terminated; // the block and its zero byte
    // A captured block on its way to the screen, appended to the capture as far as it is shown.
    struct ShownCapture {
        const std::uint8_t* block = nullptr;
        std::size_t count = 0;
        std::size_t captured = 0;
    };
    ShownCapture shownCapture;
    bool noticeOnScreen = false;
    int showDepth = 0;
};

} // namespace t8
