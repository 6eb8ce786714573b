// libFuzzer target for the batch line reader: any bytes as a batch file, read line by line,
// checked as a script, and run by the executor on a terminal that always shows its prompt.

#include "batch/BatchExecutor.h"
#include "batch/CLineFile.h"
#include "batch/ScriptCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Bounds a run: a JUMP back may loop for ever, as it does in the window until OK.
constexpr int kMaxTicks = 2000;

// Answers every wait at once and records nothing.
class AlwaysReady final : public t8::BatchTerminal {
public:
    int TypeKey(std::uint8_t) override { return 1; }
    [[nodiscard]] bool PromptSeen() const override { return true; }
    void ClearPromptSeen() override {}
    t8::RawSendResult SendFileRaw(const std::string&) override { return {}; }
    void PrepareBatchReceive(const std::string&) override {}
};

class NoDisplay final : public t8::BatchDisplay {
public:
    void ShowTexts(const t8::BatchTexts&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    t8::CLineFile file;
    file.OpenText(text);
    std::string line;
    std::size_t consumed = 0;
    while (file.ReadLine(line) != 0) {
        // a line holds its characters and at most a CR LF; the reader never goes back
        if (line.size() > t8::CLineFile::kMaxLineChars + 2 || file.Position() <= consumed ||
            file.Position() > size) {
            std::abort();
        }
        consumed = file.Position();
    }
    if (consumed != size) {
        std::abort();
    }

    t8::CLineFile again;
    again.OpenText(text);
    (void)t8::CheckScript(again);

    AlwaysReady terminal;
    NoDisplay display;
    t8::BatchExecutor executor(terminal, display);
    executor.OpenText(text, "/fuzz/job.t8b");
    for (int tick = 0; tick < kMaxTicks && executor.End() == t8::BatchEnd::Running; ++tick) {
        executor.Tick();
        if (executor.Paused()) {
            (void)executor.Ok();
        }
    }
    return 0;
}
