#pragma once

#include "link/LinkFlags.h"
#include "link/TTYInfo.h"
#include "terminal/RowRing.h"
#include "terminal/ScreenDamage.h"
#include "terminal/ScreenHost.h"
#include "terminal/ScreenShape.h"
#include "terminal/ScreenTypes.h"
#include "terminal/ScrollAxis.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace t8 {

// The terminal screen without widgets: the 16384-byte cell buffer of the record's ScreenState
// with its shape, cursor and scroll offsets, the control characters of the received stream (as
// the COM settings and an address prompt have them), and what the widget needs to paint, scroll
// and place the caret. Runs on the window's thread only.
class ScreenModel {
public:
    // Bytes copied out of the caller's block at a time (the reader's block size).
    static constexpr std::size_t kProcessChunk = 2048;
    static constexpr std::int32_t kMaxColumns = kMaxScreenColumns;
    // Larger cells are taken as this size; keeps the pixel arithmetic far from overflow.
    static constexpr std::int32_t kMaxCellPixels = 4096;
    static constexpr std::uint8_t kPromptChar = '>';

    // How Process walks a block: printable bytes copied into a row a run at a time with the rows
    // kept as a ring, or one byte at a time with the whole buffer moved up on each scroll, the
    // plain way that the runs must match in every effect.
    enum class Walk { Runs, ByteByByte };

    ScreenModel(TTYInfo& tty, LinkFlags& flags, ScreenHost& host, Walk walk = Walk::Runs);
    ScreenModel(const ScreenModel&) = delete;
    ScreenModel& operator=(const ScreenModel&) = delete;

    // The screen processing of one block of received or echoed bytes.
    void Process(const std::uint8_t* bytes, std::size_t count);
    // Text that later text hides before it is seen (see HidingLineFeeds): only its lasting
    // effects are applied, the host's bells and the view's pull to the cursor row among them;
    // the cells and the cursor are left as they were.
    void Overrun(const std::uint8_t* bytes, std::size_t count);
    // See HidingLineFeeds in ScreenShape.h.
    [[nodiscard]] std::size_t HidingLineFeeds() const;
    // Around a run of blocks between which nothing reads the record's cells directly (the
    // window's dispatch of a flood): the rows stay turned from one block to the next and are put
    // in order once, at the end. Row() and PlanPaint() read them right at any time.
    void BeginBlocks();
    void EndBlocks();
    // Puts the rows in order in the record's cells now, also inside a run of blocks.
    void StraightenRows();
    // The cell size measured from the font; re-runs the resize for the current client area.
    void SetCellSize(std::int32_t charWidth, std::int32_t charHeight);
    // The client area changed: re-shapes the buffer and the scroll ranges.
    void Resize(std::int32_t width, std::int32_t height);
    void Scroll(ScrollOrientation orientation, int code, std::int32_t thumb);
    // Blank screen, cursor home; the scroll offsets stay.
    void Clear();

    [[nodiscard]] ScreenDamage TakeDamage();
    [[nodiscard]] PixelPoint CaretPosition() const;
    // One text call per row that meets `client` (client pixels).
    [[nodiscard]] std::vector<PaintRow> PlanPaint(const PixelRect& client) const;
    [[nodiscard]] ScrollBarState ScrollBar(ScrollOrientation orientation) const;
    [[nodiscard]] std::int32_t TopVisibleRow() const;
    [[nodiscard]] std::span<const std::uint8_t> Row(std::int32_t row) const;

private:
    void ProcessRuns(const std::uint8_t* chunk, std::size_t start, std::size_t length);
    void ProcessBytes(const std::uint8_t* chunk, std::size_t start, std::size_t length);
    // How many bytes from `bytes` on (at most `available`) are shown as they are and fit in
    // the row before a wrap; sets `prompt` when the prompt character is among them.
    [[nodiscard]] std::size_t PlainRun(const std::uint8_t* bytes, std::size_t available,
                                       bool& prompt) const;
    // Shows a run of such bytes from the cursor on; returns how many it took, up to and
    // including the one that wrapped.
    std::size_t PrintRun(const std::uint8_t* bytes, std::size_t count, bool prompt,
                         std::size_t position);
    void ProcessByte(std::uint8_t byte);
    void Printable(std::uint8_t byte);
    void Backspace();
    void LineFeed();
    void FlowControl(std::uint8_t byte, std::uint32_t allowed);
    void AdvanceCursor();
    void ScrollBufferUp();
    // Scrolls line by line until the cursor row is at least `above` rows below the top.
    void KeepCursorRowInView(std::int32_t above);
    [[nodiscard]] bool InView(std::int32_t visible, std::int32_t above) const;
    bool ScrollBy(ScrollOrientation orientation, int code, std::int32_t thumb);
    void FitScrollRange(ScrollOrientation orientation);
    void ReshapeBuffer(std::int32_t oldColumns);
    [[nodiscard]] ScrollAxis Axis(ScrollOrientation orientation) const;
    [[nodiscard]] std::size_t CellIndex(std::int32_t row, std::int32_t column) const;

    TTYInfo& tty;
    ScreenState& screen; // tty's screen
    LinkFlags& flags;
    ScreenHost& host;
    DamageAccumulator damage;
    Walk walk;
    RowRing ring;
    std::size_t blockPosition = 0; // bytes of the block in Process handled so far
    int depth = 0;                 // Process calls under way (a wrap's line feed nests)
};

} // namespace t8
