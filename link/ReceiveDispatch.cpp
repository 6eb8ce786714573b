#include "link/ReceiveDispatch.h"

#include "link/ReaderThread.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace t8 {

ReceiveDispatch::ReceiveDispatch(ReceiveTarget& target_, const LinkFlags& flags_)
    : target(target_), flags(flags_) {
    terminated.reserve(ReaderThread::kBlockBytes + 1);
}

int ReceiveDispatch::Show(const TTYInfo* tty, const std::uint8_t* bytes, std::size_t count) {
    if (noticeOnScreen) {
        target.ProcessScreen(bytes, count); // a wrap inside the link's own line
        return 1;
    }
    // The screen feeds a wrap's line feed back through here while the outer block is still
    // being processed: a nested call must not overwrite the outer copy. A wrap comes every
    // row in a flood, so its line feed is copied without allocating.
    std::array<std::uint8_t, kSmallBlock + 1> small;
    std::vector<std::uint8_t> nested;
    const std::uint8_t* copy = nullptr;
    if (showDepth == 0) {
        terminated.assign(bytes, bytes + count);
        terminated.push_back(0);
        copy = terminated.data();
    } else if (count <= kSmallBlock) {
        std::copy_n(bytes, count, small.begin());
        small[count] = 0;
        copy = small.data();
    } else {
        nested.assign(bytes, bytes + count);
        nested.push_back(0);
        copy = nested.data();
    }
    if (!tty) {
        return 0;
    }
    // Anything else shown from inside the screen's processing follows the whole outer block.
    CaptureShownUpTo(shownCapture.count);
    ++showDepth;
    const int shown = Dispatch(*tty, copy, count);
    --showDepth;
    return shown;
}

int ReceiveDispatch::ShowWrapLineFeed(const TTYInfo* tty, std::size_t shown) {
    CaptureShownUpTo(shown);
    const std::uint8_t lineFeed = 0x0A;
    const ShownCapture outer = std::exchange(shownCapture, {});
    const int dispatched = Show(tty, &lineFeed, 1);
    shownCapture = outer;
    return dispatched;
}

int ReceiveDispatch::Dispatch(const TTYInfo& tty, const std::uint8_t* block, std::size_t count) {
    const bool toScreen = !tty.transfer.receiveActive && !flags.displayHeld;
    if (tty.transfer.captureOn && !toScreen) {
        target.AppendCapture(block, count);
    }
    if (tty.transfer.receiveActive) {
        target.FeedReceive(block, count);
        return 1;
    }
    if (flags.displayHeld) {
        return 1;
    }
    if (!tty.transfer.captureOn) {
        target.ProcessScreen(block, count);
        return 1;
    }
    // Captured as far as shown, so that wrap line feeds land where the wraps happened.
    const ShownCapture outer = std::exchange(shownCapture, {block, count, 0});
    target.ProcessScreen(block, count);
    CaptureShownUpTo(count);
    shownCapture = outer;
    return 1;
}

int ReceiveDispatch::ShowPartly(const TTYInfo* tty, const std::uint8_t* bytes, std::size_t count,
                                std::size_t hidden) {
    if (hidden > 0) {
        target.OverrunScreen(bytes, hidden);
    }
    return hidden < count ? Show(tty, bytes + hidden, count - hidden) : 1;
}

std::size_t ReceiveDispatch::HidingLineFeeds(const TTYInfo* tty) const {
    const bool screenAlone = tty != nullptr && !tty->transfer.receiveActive &&
                             !tty->transfer.captureOn && !tty->transfer.addressPromptActive &&
                             !flags.displayHeld && showDepth == 0 && !noticeOnScreen;
    return screenAlone ? target.HidingLineFeeds() : 0;
}

void ReceiveDispatch::CaptureShownUpTo(std::size_t end) {
    end = std::min(end, shownCapture.count);
    if (shownCapture.block == nullptr || end <= shownCapture.captured) {
        return;
    }
    target.AppendCapture(shownCapture.block + shownCapture.captured, end - shownCapture.captured);
    shownCapture.captured = end;
}

void ReceiveDispatch::ShowNotice(const TTYInfo& tty, const std::string& text) {
    std::string_view line = text;
    if (tty.screen.column == 0 && line.starts_with("\r\n")) {
        line.remove_prefix(2); // on a fresh line already: no empty line before it
    }
    noticeOnScreen = true;
    target.ProcessScreen(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    noticeOnScreen = false;
}

} // namespace t8
