#include "terminal/ScreenModel.h"

#include "link/LineSettings.h"

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
constexpr std::int32_t kScreenCells = static_cast<std::int32_t>(kScreenBytes);

// Rows the buffer holds at `columns` columns; the last of them is kept blank.
constexpr std::int32_t RowsFor(std::int32_t columns) {
    return kScreenCells / columns - 1;
}

} // namespace

ScreenModel::ScreenModel(TTYInfo& tty_, LinkFlags& flags_, ScreenHost& host_)
    : tty(tty_), flags(flags_), host(host_) {}

void ScreenModel::Process(const std::uint8_t* bytes, std::size_t count) {
    if (bytes == nullptr) {
        return;
    }
    RepairShape();
    // The wrap's line feed goes back through the link, which may reuse the caller's buffer for
    // it: work on a private copy.
    // The wrap's line feed comes back in as a nested block; the outer position survives it.
    const std::size_t outerPosition = blockPosition;
    std::array<std::uint8_t, kProcessChunk> chunk{};
    for (std::size_t start = 0; start < count; start += kProcessChunk) {
        const std::size_t length = std::min(kProcessChunk, count - start);
        std::memcpy(chunk.data(), bytes + start, length);
        for (std::size_t i = 0; i < length; ++i) {
            blockPosition = start + i + 1;
            ProcessByte(chunk[i]);
        }
    }
    blockPosition = outerPosition;
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
        tty.column = 0;
        if (tty.comNewLine) {
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
    if ((tty.flowCtrl & kFlowXonXoff) == 0) {
        Printable(byte); // without software flow control these are ordinary glyphs
        return;
    }
    flags.txAllowed = allowed;
}

void ScreenModel::Backspace() {
    damage.AddCell(tty.column * tty.charWidth, tty.row * tty.charHeight, tty.charWidth,
                   tty.charHeight);
    if (tty.column > 0) {
        --tty.column;
    }
    if (tty.addressPromptActive) {
        host.PromptBackspace();
    }
}

void ScreenModel::LineFeed() {
    ++tty.row;
    if (tty.row >= tty.rows - 1) {
        ScrollBufferUp();
        tty.row = tty.rows - 2;
    } else {
        KeepCursorRowInView(1);
    }
    damage.AddWholeClient(false);
}

void ScreenModel::Printable(std::uint8_t byte) {
    if (byte == kPromptChar) {
        flags.promptSeen = 1;
    }
    if (tty.addressPromptActive) {
        host.PromptCharacter(byte);
    }
    tty.screen[CellIndex(tty.row, tty.column)] = byte;
    KeepCursorRowInView(0);
    damage.AddCell(tty.column * tty.charWidth, tty.row * tty.charHeight, tty.charWidth,
                   tty.charHeight);
    AdvanceCursor();
}

void ScreenModel::AdvanceCursor() {
    if (tty.column < tty.columns - 1) {
        ++tty.column;
        return;
    }
    if (!tty.comAutoWrap) {
        return; // the next character overwrites the last column
    }
    tty.column = 0;
    // Also in new-line mode: without it the continuation would overwrite the start of the row.
    host.ReinjectLineFeed(blockPosition);
}

void ScreenModel::ScrollBufferUp() {
    const auto rowBytes = static_cast<std::size_t>(tty.columns);
    const auto kept = static_cast<std::size_t>(tty.rows - 1) * rowBytes;
    std::memmove(tty.screen.data(), tty.screen.data() + rowBytes, kept);
    std::memset(tty.screen.data() + kept, kBlank, rowBytes);
}

void ScreenModel::KeepCursorRowInView(std::int32_t above) {
    // A client lower than one row still keeps the cursor row at its top.
    const std::int32_t visible = std::max(1, tty.visibleRows);
    const auto code = [](ScrollCode scroll) { return static_cast<int>(scroll); };
    // Each loop stops as soon as the scroll position no longer moves.
    while (tty.row - TopVisibleRow() >= visible &&
           ScrollBy(ScrollOrientation::Vertical, code(ScrollCode::LineDown), 0)) {
    }
    while (tty.row - TopVisibleRow() < above &&
           ScrollBy(ScrollOrientation::Vertical, code(ScrollCode::LineUp), 0)) {
    }
}

void ScreenModel::SetCellSize(std::int32_t charWidth, std::int32_t charHeight) {
    tty.charWidth = std::clamp(charWidth, 0, kMaxCellPixels);
    tty.charHeight = std::clamp(charHeight, 0, kMaxCellPixels);
    Resize(tty.clientWidth, tty.clientHeight);
}

void ScreenModel::Resize(std::int32_t width, std::int32_t height) {
    RepairShape();
    const std::int32_t oldColumns = tty.columns;
    ApplyColumns(std::max(0, width));
    tty.clientHeight = std::max(0, height);
    FitScrollRange(ScrollOrientation::Vertical);
    tty.clientWidth = std::max(0, width);
    FitScrollRange(ScrollOrientation::Horizontal);
    if (tty.charHeight > 0) {
        tty.visibleRows = tty.clientHeight / tty.charHeight;
    }
    ReshapeBuffer(oldColumns);
    damage.AddWholeClient(true);
}

void ScreenModel::ApplyColumns(std::int32_t width) {
    if (tty.charWidth <= 0) {
        return;
    }
    const std::int32_t columns = std::min(width / tty.charWidth, kMaxColumns);
    if (columns == 0) {
        return; // narrower than one cell: keep the previous shape
    }
    tty.columns = columns;
    tty.rows = RowsFor(columns);
}

void ScreenModel::FitScrollRange(ScrollOrientation orientation) {
    const bool vertical = orientation == ScrollOrientation::Vertical;
    std::int32_t& offset = vertical ? tty.scrollY : tty.scrollX;
    std::int32_t& maximum = vertical ? tty.maxScrollY : tty.maxScrollX;
    maximum = vertical ? MaxScroll(std::int64_t{tty.rows} * tty.charHeight, tty.clientHeight)
                       : MaxScroll(std::int64_t{tty.columns} * tty.charWidth, tty.clientWidth);
    if (offset > maximum) {
        const std::int32_t moved = offset - maximum;
        damage.AddScroll(vertical ? 0 : moved, vertical ? moved : 0, tty.clientWidth,
                         tty.clientHeight);
        offset = maximum;
    }
}

// The rows up to and including the cursor's survive in the new shape, truncated or padded: the
// typed command and the device's prompt stay. When they do not all fit, the most recent ones are
// kept and the cursor moves up to the lowest row it may stand in.
void ScreenModel::ReshapeBuffer(std::int32_t oldColumns) {
    if (oldColumns == tty.columns) {
        return; // same shape: a change of height moves nothing
    }
    std::array<std::uint8_t, kScreenBytes> reshaped{};
    reshaped.fill(kBlank);
    const std::int32_t kept = std::min(tty.row + 1, tty.rows - 1);
    const std::int32_t firstKept = tty.row + 1 - kept;
    const auto width = static_cast<std::size_t>(std::min(oldColumns, tty.columns));
    for (std::int32_t i = 0; i < kept; ++i) {
        const std::size_t from = static_cast<std::size_t>(firstKept + i) * oldColumns;
        std::memcpy(reshaped.data() + CellIndex(i, 0), tty.screen.data() + from, width);
    }
    tty.screen = reshaped;
    tty.row = kept - 1;
    tty.column = std::min(tty.column, tty.columns - 1);
}

// TTYInfo is plain data that others may touch: never index the buffer outside its bounds.
void ScreenModel::RepairShape() {
    tty.columns = std::clamp(tty.columns, 1, kMaxColumns);
    tty.rows = std::clamp(tty.rows, 2, RowsFor(tty.columns));
    tty.row = std::clamp(tty.row, 0, tty.rows - 2);
    tty.column = std::clamp(tty.column, 0, tty.columns - 1);
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
        tty.scrollY += change;
        damage.AddScroll(0, -change, tty.clientWidth, tty.clientHeight);
    } else {
        tty.scrollX += change;
        damage.AddScroll(-change, 0, tty.clientWidth, tty.clientHeight);
    }
    return true;
}

ScrollAxis ScreenModel::Axis(ScrollOrientation orientation) const {
    if (orientation == ScrollOrientation::Vertical) {
        return {tty.scrollY, tty.maxScrollY, tty.charHeight, tty.clientHeight};
    }
    return {tty.scrollX, tty.maxScrollX, tty.charWidth, tty.clientWidth};
}

void ScreenModel::Clear() {
    tty.screen.fill(kBlank);
    tty.row = 0;
    tty.column = 0;
    damage.AddWholeClient(true);
}

ScreenDamage ScreenModel::TakeDamage() {
    return damage.Take(tty.scrollX, tty.scrollY);
}

PixelPoint ScreenModel::CaretPosition() const {
    return {tty.column * tty.charWidth - tty.scrollX, tty.row * tty.charHeight - tty.scrollY};
}

ScrollBarState ScreenModel::ScrollBar(ScrollOrientation orientation) const {
    const ScrollAxis axis = Axis(orientation);
    return {axis.maximum, axis.offset, axis.page, axis.line};
}

std::int32_t ScreenModel::TopVisibleRow() const {
    return tty.charHeight > 0 ? tty.scrollY / tty.charHeight : 0;
}

std::span<const std::uint8_t> ScreenModel::Row(std::int32_t row) const {
    if (row < 0 || row >= tty.rows) {
        return {};
    }
    return {tty.screen.data() + CellIndex(row, 0), static_cast<std::size_t>(tty.columns)};
}

std::vector<PaintRow> ScreenModel::PlanPaint(const PixelRect& client) const {
    const std::int32_t cw = tty.charWidth;
    const std::int32_t ch = tty.charHeight;
    // Pixels left of or above the content hold no cells.
    const PixelRect area{std::max(0, client.left), std::max(0, client.top), client.right,
                         client.bottom};
    if (area.IsEmpty() || cw <= 0 || ch <= 0) {
        return {};
    }
    const auto cell = [](std::int64_t pixel, std::int32_t size) {
        return static_cast<std::int32_t>(std::min<std::int64_t>(pixel / size, kScreenCells));
    };
    const std::int32_t firstRow =
        std::min(cell(tty.scrollY + std::int64_t{area.top}, ch), tty.rows - 1);
    const std::int32_t lastRow =
        std::min(tty.rows - 1, cell(tty.scrollY + std::int64_t{area.bottom} - 1, ch));
    const std::int32_t firstColumn =
        std::min(cell(tty.scrollX + std::int64_t{area.left}, cw), tty.columns - 1);
    const std::int32_t lastColumn =
        std::min(tty.columns - 1, cell(tty.scrollX + std::int64_t{area.right} - 1, cw));
    std::vector<PaintRow> plan;
    if (lastColumn < firstColumn) {
        return plan;
    }
    const std::int32_t count = lastColumn - firstColumn + 1;
    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        const std::int32_t x = firstColumn * cw - tty.scrollX;
        const std::int32_t y = row * ch - tty.scrollY;
        plan.push_back({row,
                        firstColumn,
                        lastColumn,
                        x,
                        y,
                        {x, y, x + count * cw, y + ch},
                        Row(row).subspan(static_cast<std::size_t>(firstColumn),
                                         static_cast<std::size_t>(count))});
    }
    return plan;
}

std::size_t ScreenModel::CellIndex(std::int32_t row, std::int32_t column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(tty.columns) +
           static_cast<std::size_t>(column);
}

} // namespace t8
