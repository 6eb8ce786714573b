// libFuzzer target for the screen processing: received blocks mixed with what the window does
// to the model meanwhile (resize, font change, scrolling, clear, option changes). After every
// step the shape, cursor and scroll offsets must stay inside the buffer, and every painted row
// must lie inside it. The steps run twice, the second time with every block split in two:
// serial data arrive in pieces, and the screen must end the same.

#include "terminal/ScreenModel.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kMaxBlock = 2 * t8::ScreenModel::kProcessChunk + 1;
constexpr std::int32_t kMaxPixels = 40000;
constexpr std::int32_t kMaxThumb = 1 << 20;
constexpr std::uint8_t kLineFeed = 0x0A;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The view around the model: the wrap's line feed comes back through Process, as the link's
// ShowReceived passes it; the prompt collection has a target of its own.
class Host final : public t8::ScreenHost {
public:
    void Attach(t8::ScreenModel& screen) { model = &screen; }
    void Beep() override { calls += '\a'; }
    void ReinjectLineFeed(std::size_t /*shown*/) override { model->Process(&kLineFeed, 1); }
    void PromptCharacter(std::uint8_t byte) override { calls += static_cast<char>(byte); }
    void PromptBackspace() override { calls += '\b'; }

    std::string calls; // what the view was told, in order

private:
    t8::ScreenModel* model = nullptr;
};

enum class Step { Block, Resize, CellSize, Scroll, Clear, Options, kMaxValue = Options };

void Apply(Step step, FuzzedDataProvider& input, t8::ScreenModel& model, t8::TTYInfo& tty,
           bool split) {
    const auto pixels = [&] { return input.ConsumeIntegralInRange(-2, kMaxPixels); };
    switch (step) {
    case Step::Block: {
        const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, kMaxBlock);
        const auto share = input.ConsumeIntegral<std::uint8_t>();
        const std::vector<std::uint8_t> block = input.ConsumeBytes<std::uint8_t>(length);
        const std::size_t cut = split ? block.size() * share / 256 : block.size();
        model.Process(block.data(), cut);
        model.Process(block.data() + cut, block.size() - cut);
        break;
    }
    case Step::Resize:
        model.Resize(pixels(), pixels());
        break;
    case Step::CellSize:
        model.SetCellSize(pixels(), pixels());
        break;
    case Step::Scroll:
        model.Scroll(input.ConsumeBool() ? t8::ScrollOrientation::Vertical
                                         : t8::ScrollOrientation::Horizontal,
                     input.ConsumeIntegralInRange(-1, 9),
                     input.ConsumeIntegralInRange(-kMaxThumb, kMaxThumb));
        break;
    case Step::Clear:
        model.Clear();
        break;
    case Step::Options:
        tty.com.comNewLine = input.ConsumeBool() ? 1 : 0;
        tty.com.comAutoWrap = input.ConsumeBool() ? 1 : 0;
        tty.com.flowCtrl = input.ConsumeIntegral<std::uint8_t>();
        tty.transfer.addressPromptActive = input.ConsumeBool() ? 1 : 0;
        break;
    }
}

void CheckShape(const t8::ScreenModel& model, const t8::TTYInfo& tty) {
    Require(tty.screen.columns >= 1 && tty.screen.rows >= 2 &&
            std::int64_t{tty.screen.rows} * tty.screen.columns <= std::int64_t{t8::kScreenBytes});
    Require(tty.screen.row >= 0 && tty.screen.row <= tty.screen.rows - 2 &&
            tty.screen.column >= 0 && tty.screen.column < tty.screen.columns);
    Require(tty.screen.scrollY >= 0 && tty.screen.scrollY <= tty.screen.maxScrollY &&
            tty.screen.scrollX >= 0 && tty.screen.scrollX <= tty.screen.maxScrollX);
    const std::uint8_t* begin = tty.screen.cells.data();
    const std::uint8_t* end = begin + tty.screen.cells.size();
    const t8::PixelRect client{0, 0, tty.screen.clientWidth, tty.screen.clientHeight};
    for (const t8::PaintRow& row : model.PlanPaint(client)) {
        Require(row.cells.empty() || (row.cells.data() >= begin && row.cells.data() < end &&
                                      row.cells.size() <= std::size_t(end - row.cells.data())));
    }
    (void)model.CaretPosition();
}

// The state a run ends in, for comparing the whole and the split run.
struct Outcome {
    t8::TTYInfo tty;
    t8::LinkFlags flags;
    std::string calls;

    bool operator==(const Outcome& other) const {
        return tty.screen.cells == other.tty.screen.cells &&
               tty.screen.row == other.tty.screen.row &&
               tty.screen.column == other.tty.screen.column &&
               tty.screen.rows == other.tty.screen.rows &&
               tty.screen.columns == other.tty.screen.columns &&
               tty.screen.scrollX == other.tty.screen.scrollX &&
               tty.screen.scrollY == other.tty.screen.scrollY &&
               flags.promptSeen == other.flags.promptSeen &&
               flags.txAllowed == other.flags.txAllowed && calls == other.calls;
    }
};

Outcome Run(const std::uint8_t* data, std::size_t size, bool split) {
    FuzzedDataProvider input(data, size);
    Outcome outcome;
    Host host;
    t8::ScreenModel model(outcome.tty, outcome.flags, host);
    host.Attach(model);
    model.SetCellSize(input.ConsumeIntegralInRange(1, 64), input.ConsumeIntegralInRange(1, 64));
    model.Resize(input.ConsumeIntegralInRange(0, 4000), input.ConsumeIntegralInRange(0, 4000));
    while (input.remaining_bytes() > 0) {
        Apply(input.ConsumeEnum<Step>(), input, model, outcome.tty, split);
        (void)model.TakeDamage();
        CheckShape(model, outcome.tty);
    }
    outcome.calls = std::move(host.calls);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Require(Run(data, size, false) == Run(data, size, true));
    return 0;
}
