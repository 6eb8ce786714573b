// The screen model's throughput on mixed device text (wraps, scrolling, redrawn lines), in the
// reader's 2048-byte blocks with the damage taken after each as the window does. It reports; it
// never fails a build. The window's end-to-end rate on a pty is t8flood_bench's.
#include "bench/DeviceText.h"

#include "link/LinkFlags.h"
#include "link/TTYInfo.h"
#include "terminal/ScreenHost.h"
#include "terminal/ScreenModel.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr std::size_t kTextBytes = 8U << 20;
constexpr std::size_t kBlock = 2048;
constexpr std::size_t kDispatchSlice = 64 * 1024; // the blocks the window takes at one go
constexpr std::int32_t kCellWidth = 9;
constexpr std::int32_t kCellHeight = 18;
constexpr std::int32_t kVisibleRows = 25;

// The screen as the view drives it, without the widget: a wrap's line feed comes back in.
class Screen : public t8::ScreenHost {
public:
    explicit Screen(std::int32_t columns) {
        model.SetCellSize(kCellWidth, kCellHeight);
        model.Resize(columns * kCellWidth, kVisibleRows * kCellHeight);
    }
    void Beep() override {}
    void ReinjectLineFeed(std::size_t) override {
        const std::uint8_t lineFeed = 0x0A;
        model.Process(&lineFeed, 1);
    }
    void PromptCharacter(std::uint8_t) override {}
    void PromptBackspace() override {}

    t8::TTYInfo tty;
    t8::LinkFlags flags;
    t8::ScreenModel model{tty, flags, *this};
};

const std::string& Text() {
    static const std::string text = t8::bench::DeviceText(kTextBytes);
    return text;
}

void BM_ScreenProcess(benchmark::State& state) {
    const std::string& text = Text();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    Screen screen(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        for (std::size_t slice = 0; slice < text.size(); slice += kDispatchSlice) {
            const std::size_t end = std::min(text.size(), slice + kDispatchSlice);
            screen.model.BeginBlocks();
            for (std::size_t at = slice; at < end; at += kBlock) {
                screen.model.Process(bytes + at, std::min(kBlock, end - at));
            }
            screen.model.EndBlocks();
            benchmark::DoNotOptimize(screen.model.TakeDamage());
        }
    }
    const auto processed =
        static_cast<double>(text.size()) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(processed));
    state.counters["MB"] = benchmark::Counter(processed / 1e6, benchmark::Counter::kIsRate);
}

// 80 columns is the default window; 40 wraps every long line several times; 132 hardly wraps.
BENCHMARK(BM_ScreenProcess)
    ->ArgName("columns")
    ->Arg(40)
    ->Arg(80)
    ->Arg(132)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
