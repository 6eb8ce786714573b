#include "terminal/ScreenModel.h"

#include "link/LineSettings.h"
#include "terminal/OverrunEffects.h"
#include "terminal/PaintPlan.h"
#include "terminal/PlainRun.h"
#include "terminal/ReshapeRows.h"
#include "terminal/ScreenShape.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace t8 {

namespace {

constexpr std::uint8_t kBell = 0x07;
constexpr std::uint8_t kBackspace = 0x08;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kBlank = ' ';
} // namespace

ScreenModel::ScreenModel(TTYInfo& tty_, LinkFlags& flags_, ScreenHost& host_, Walk walk_)
    : tty(tty_), screen(tty_.screen), flags(flags_), host(host_), walk(walk_) {}

void ScreenModel::Process(const std::uint8_t* bytes, std::size_t count) {
    if (bytes == nullptr) {
        return;
    }
    if (ring.TurnedOtherThan(screen.rows, screen.columns)) {
        ring.Straighten(screen.cells); // the shape was changed from outside meanwhile
    }
    RepairShape(screen);
    // The wrap's line feed comes back in as a nested block, through the link, which may reuse
    // the caller's buffer for it: work on a private copy; the outer position survives it.
    const std::size_t outerPosition = blockPosition;
    ++depth;
    std::array<std::uint8_t, kProcessChunk> chunk; // only the copied part is read
    for (std::size_t start = 0; start < count; start += kProcessChunk) {
        const std::size_t length = std::min(kProcessChunk, count - start);
        std::memcpy(chunk.data(), bytes + start, length);
        if (walk == Walk::Runs) {
            ProcessRuns(chunk.data(), start, length);
        } else {
            ProcessBytes(chunk.data(), start, length);
        }
    }
    --depth;
    blockPosition = outerPosition;
    if (depth == 0) {
        ring.Straighten(screen.cells);
    }
}

void ScreenModel::Overrun(const std::uint8_t* bytes, std::size_t count) {
    const bool flowControl = (tty.com.flowCtrl & kFlowXonXoff) != 0;
    const OverrunEffects effects = FindOverrunEffects(bytes, count, flowControl, kPromptChar);
    if (effects.prompt) {
        flags.promptSeen = 1;
    }
    // A drawn character pulls a view scrolled away back to the cursor row, and later line feeds
    // on the last row scroll the buffer without moving the view again.
    if (effects.drawn) {
        KeepCursorRowInView(0);
    }
    if (effects.flowControl) {
        FlowControl(*effects.flowControl, *effects.flowControl == kXonChar ? 1 : 0);
    }
    for (std::size_t bell = 0; bell < effects.bells; ++bell) {
        host.Beep();
    }
}

std::size_t ScreenModel::HidingLineFeeds() const {
    return t8::HidingLineFeeds(screen);
}

void ScreenModel::BeginBlocks() {
    ++depth;
}

void ScreenModel::EndBlocks() {
    if (depth > 0 && --depth == 0) {
        ring.Straighten(screen.cells);
    }
}

void ScreenModel::StraightenRows() {
    ring.Straighten(screen.cells);
}

void ScreenModel::ProcessBytes(const std::uint8_t* chunk, std::size_t start, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        blockPosition = start + i + 1;
        ProcessByte(chunk[i]);
    }
}

// Every host call comes at the end of a run or from a single byte, and the options are read
// again after it: a host call may change them.
void ScreenModel::ProcessRuns(const std::uint8_t* chunk, std::size_t start, std::size_t length) {
    std::size_t at = 0;
    while (at < length) {
        bool prompt = false;
        const std::size_t plain = PlainRun(chunk + at, length - at, prompt);
        if (plain > 0) {
            at += PrintRun(chunk + at, plain, prompt, start + at);
            continue;
        }
        blockPosition = start + at + 1;
        ProcessByte(chunk[at]);
        ++at;
    }
}

std::size_t ScreenModel::PlainRun(const std::uint8_t* bytes, std::size_t available,
                                  bool& prompt) const {
    if (tty.transfer.addressPromptActive) {
        return 0; // each byte goes to the prompt as well
    }
    const std::size_t limit =
        tty.com.comAutoWrap
            ? std::min(available, static_cast<std::size_t>(screen.columns - screen.column))
            : available;
    return PlainRunLength(bytes, limit, (tty.com.flowCtrl & kFlowXonXoff) != 0, kPromptChar,
                          prompt);
}

std::size_t ScreenModel::PrintRun(const std::uint8_t* bytes, std::size_t count, bool prompt,
                                  std::size_t position) {
    if (prompt) {
        flags.promptSeen = 1;
    }
    const auto room = static_cast<std::size_t>(screen.columns - screen.column);
    const std::size_t fit = std::min(count, room);
    std::uint8_t* const row = screen.cells.data() + CellIndex(screen.row, 0);
    std::memcpy(row + screen.column, bytes, fit);
    if (count > fit) {
        row[screen.columns - 1] = bytes[count - 1]; // without wrap the rest overwrite the last
    }
    KeepCursorRowInView(0);
    damage.AddCell(screen.column * screen.charWidth, screen.row * screen.charHeight,
                   static_cast<std::int32_t>(fit) * screen.charWidth, screen.charHeight);
    if (fit < room) {
        screen.column += static_cast<std::int32_t>(fit);
        return count;
    }
    if (!tty.com.comAutoWrap) {
        screen.column = screen.columns - 1;
        return count;
    }
    screen.column = 0;
    blockPosition = position + fit;
    host.ReinjectLineFeed(blockPosition);
    return fit;
}

void ScreenModel::ProcessByte(std::uint8_t byte) {
    switch (byte) {
    case kBell:
        host.Beep();
        return;
    case kBackspace:
        Backspace();
        return;
    case kLineFeed:
        LineFeed();
        return;
    case kCarriageReturn:
        screen.column = 0;
        if (tty.com.comNewLine) {
            LineFeed();
        }
        return;
    case kXonChar:
        FlowControl(byte, 1);
        return;
    case kXoffChar:
        FlowControl(byte, 0);
        return;
    default:
        Printable(byte);
    }
}

void ScreenModel::FlowControl(std::uint8_t byte, std::uint32_t allowed) {
    if ((tty.com.flowCtrl & kFlowXonXoff) == 0) {
        Printable(byte); // without software flow control these are ordinary glyphs
        return;
    }
    flags.txAllowed = allowed;
}

void ScreenModel::Backspace() {
    damage.AddCell(screen.column * screen.charWidth, screen.row * screen.charHeight,
                   screen.charWidth, screen.charHeight);
    if (screen.column > 0) {
        --screen.column;
    }
    if (tty.transfer.addressPromptActive) {
        host.PromptBackspace();
    }
}

void ScreenModel::LineFeed() {
    ++screen.row;
    if (screen.row >= screen.rows - 1) {
        ScrollBufferUp();
        screen.row = screen.rows - 2;
    } else {
        KeepCursorRowInView(1);
    }
    damage.AddWholeClient(false);
}

void ScreenModel::Printable(std::uint8_t byte) {
    if (byte == kPromptChar) {
        flags.promptSeen = 1;
    }
    if (tty.transfer.addressPromptActive) {
        host.PromptCharacter(byte);
    }
    screen.cells[CellIndex(screen.row, screen.column)] = byte;
    KeepCursorRowInView(0);
    damage.AddCell(screen.column * screen.charWidth, screen.row * screen.charHeight,
                   screen.charWidth, screen.charHeight);
    AdvanceCursor();
}

void ScreenModel::AdvanceCursor() {
    if (screen.column < screen.columns - 1) {
        ++screen.column;
        return;
    }
    if (!tty.com.comAutoWrap) {
        return; // the next character overwrites the last column
    }
    screen.column = 0;
    // Also in new-line mode: without it the continuation would overwrite the start of the row.
    host.ReinjectLineFeed(blockPosition);
}

void ScreenModel::ScrollBufferUp() {
    if (walk == Walk::Runs) {
        ring.ScrollUp(screen.cells, screen.rows, screen.columns);
        return;
    }
    const auto rowBytes = static_cast<std::size_t>(screen.columns);
    const auto kept = static_cast<std::size_t>(screen.rows - 1) * rowBytes;
    std::memmove(screen.cells.data(), screen.cells.data() + rowBytes, kept);
    std::memset(screen.cells.data() + kept, kBlank, rowBytes);
}

void ScreenModel::KeepCursorRowInView(std::int32_t above) {
    // A client lower than one row still keeps the cursor row at its top.
    const std::int32_t visible = std::max(1, screen.visibleRows);
    if (InView(visible, above)) {
        return; // the common case
    }
    const auto code = [](ScrollCode scroll) { return static_cast<int>(scroll); };
    // Each loop stops as soon as the scroll position no longer moves.
    while (screen.row - TopVisibleRow() >= visible &&
           ScrollBy(ScrollOrientation::Vertical, code(ScrollCode::LineDown), 0)) {
    }
    while (screen.row - TopVisibleRow() < above &&
           ScrollBy(ScrollOrientation::Vertical, code(ScrollCode::LineUp), 0)) {
    }
}

// Whether the cursor row is at least `above` and fewer than `visible` rows below the top row
// shown. The runs compare pixels, as this comes for every run of text where a division would
// show; the plain walk divides, so the differential test checks the one against the other.
bool ScreenModel::InView(std::int32_t visible, std::int32_t above) const {
    const std::int64_t height = screen.charHeight;
    const std::int64_t scrollY = screen.scrollY;
    if (walk == Walk::ByteByByte || height <= 0 || scrollY < 0) {
        const std::int32_t shown = screen.row - TopVisibleRow();
        return shown < visible && shown >= above;
    }
    return (std::int64_t{screen.row} - visible + 1) * height <= scrollY &&
           scrollY < (std::int64_t{screen.row} - above + 1) * height;
}

void ScreenModel::SetCellSize(std::int32_t charWidth, std::int32_t charHeight) {
    screen.charWidth = std::clamp(charWidth, 0, kMaxCellPixels);
    screen.charHeight = std::clamp(charHeight, 0, kMaxCellPixels);
    Resize(screen.clientWidth, screen.clientHeight);
}

void ScreenModel::Resize(std::int32_t width, std::int32_t height) {
    ring.Straighten(screen.cells); // the reshape reads the rows from the buffer's start
    RepairShape(screen);
    const std::int32_t oldColumns = screen.columns;
    ApplyColumns(screen, std::max(0, width));
    screen.clientHeight = std::max(0, height);
    FitScrollRange(ScrollOrientation::Vertical);
    screen.clientWidth = std::max(0, width);
    FitScrollRange(ScrollOrientation::Horizontal);
    if (screen.charHeight > 0) {
        screen.visibleRows = screen.clientHeight / screen.charHeight;
    }
    ReshapeBuffer(oldColumns);
    damage.AddWholeClient(true);
}

void ScreenModel::FitScrollRange(ScrollOrientation orientation) {
    const bool vertical = orientation == ScrollOrientation::Vertical;
    std::int32_t& offset = vertical ? screen.scrollY : screen.scrollX;
    std::int32_t& maximum = vertical ? screen.maxScrollY : screen.maxScrollX;
    maximum = vertical
                  ? MaxScroll(std::int64_t{screen.rows} * screen.charHeight, screen.clientHeight)
                  : MaxScroll(std::int64_t{screen.columns} * screen.charWidth, screen.clientWidth);
    if (offset > maximum) {
        const std::int32_t moved = offset - maximum;
        damage.AddScroll(vertical ? 0 : moved, vertical ? moved : 0, screen.clientWidth,
                         screen.clientHeight);
        offset = maximum;
    }
}

void ScreenModel::ReshapeBuffer(std::int32_t oldColumns) {
    if (oldColumns == screen.columns) {
        return; // same shape: a change of height moves nothing
    }
    screen.row = ReshapeRows(screen.cells, oldColumns, screen.columns, screen.rows, screen.row);
    screen.column = std::min(screen.column, screen.columns - 1);
}

void ScreenModel::Scroll(ScrollOrientation orientation, int code, std::int32_t thumb) {
    ScrollBy(orientation, code, thumb);
}

bool ScreenModel::ScrollBy(ScrollOrientation orientation, int code, std::int32_t thumb) {
    const std::int32_t change = ScrollChange(Axis(orientation), code, thumb);
    if (change == 0) {
        return false;
    }
    if (orientation == ScrollOrientation::Vertical) {
        screen.scrollY += change;
        damage.AddScroll(0, -change, screen.clientWidth, screen.clientHeight);
    } else {
        screen.scrollX += change;
        damage.AddScroll(-change, 0, screen.clientWidth, screen.clientHeight);
    }
    return true;
}

ScrollAxis ScreenModel::Axis(ScrollOrientation orientation) const {
    if (orientation == ScrollOrientation::Vertical) {
        return {screen.scrollY, screen.maxScrollY, screen.charHeight, screen.clientHeight};
    }
    return {screen.scrollX, screen.maxScrollX, screen.charWidth, screen.clientWidth};
}

void ScreenModel::Clear() {
    screen.cells.fill(kBlank);
    screen.row = 0;
    screen.column = 0;
    damage.AddWholeClient(true);
}

ScreenDamage ScreenModel::TakeDamage() {
    return damage.Take(screen.scrollX, screen.scrollY);
}

PixelPoint ScreenModel::CaretPosition() const {
    return {screen.column * screen.charWidth - screen.scrollX,
            screen.row * screen.charHeight - screen.scrollY};
}

ScrollBarState ScreenModel::ScrollBar(ScrollOrientation orientation) const {
    const ScrollAxis axis = Axis(orientation);
    return {axis.maximum, axis.offset, axis.page, axis.line};
}

std::int32_t ScreenModel::TopVisibleRow() const {
    return screen.charHeight > 0 ? screen.scrollY / screen.charHeight : 0;
}

std::span<const std::uint8_t> ScreenModel::Row(std::int32_t row) const {
    if (row < 0 || row >= screen.rows) {
        return {};
    }
    return {screen.cells.data() + CellIndex(row, 0), static_cast<std::size_t>(screen.columns)};
}

std::vector<PaintRow> ScreenModel::PlanPaint(const PixelRect& client) const {
    return PlanRows(screen, client, [this](std::int32_t row) { return Row(row); });
}

std::size_t ScreenModel::CellIndex(std::int32_t row, std::int32_t column) const {
    return ring.RowStart(row, screen.rows, screen.columns) + static_cast<std::size_t>(column);
}

} // namespace t8
