#pragma once

#include "batch/BatchTerminal.h"
#include "batch/CLineFile.h"
#include "batch/LabelList.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace t8 {

struct BatchTokens;

// How a run ended, for the hosts that need a verdict.
enum class BatchEnd { Running, Completed, ScriptError, LabelNotFound, OpenFailed, FileError };

// Runs a batch file one step per 100 ms tick: a key typed, a wait for the device's prompt
// tested, or a line read and executed. The dialog and t8batch tick it; it owns no timer. Ticks
// that arrive while a transfer it started is still running (a TX file, or the receive a typed
// Enter starts) are skipped, so the keys go out in their order and none twice.
class BatchExecutor {
public:
    static constexpr int kTimerId = 149;
    static constexpr int kTickMs = 100;
    static constexpr std::size_t kKeyTextBytes = 1024;

    static constexpr const char* kWaitingText = "Waiting for end of command";
    static constexpr const char* kSuccessText = "Batch file executed successfully. Click OK.";
    static constexpr const char* kMissingQuoteText =
        "Error in Batch command line : missing end \".";
    static constexpr const char* kLabelNotFoundText = "Execution failed, label not found.";
    static constexpr const char* kKeyText =
        "Click OK to continue, click ABORT to stop executing batch file";
    static constexpr const char* kCloseText = "Click OK to close dialog";
    // What the buffers cannot hold is refused with the line shown, never cut and run.
    static constexpr const char* kLongLineText =
        "Error in Batch command line : line longer than 255 characters.";
    static constexpr const char* kLongWordText =
        "Error in Batch command line : word longer than 43 characters.";
    static constexpr const char* kLongLabelText =
        "Error in Batch command line : label name longer than 31 characters.";
    // A file in UTF-16 or UTF-32 has no line the executor can read; it is refused as a whole.
    static constexpr const char* kWideTextStart = "Error in Batch command line : the file is ";
    static constexpr const char* kWideTextEnd = " text; save it as ASCII or UTF-8.";
    static constexpr const char* kTxFileText = "Cannot send the TX file ";

    BatchExecutor(BatchTerminal& terminal, BatchDisplay& display);
    BatchExecutor(const BatchExecutor&) = delete;
    BatchExecutor& operator=(const BatchExecutor&) = delete;

    // Opens the batch file; when it cannot be opened the texts say so and OK closes.
    bool Open(const std::string& path);
    // Runs `text` as the batch file `path` (names in it resolve beside `path`).
    void OpenText(std::string text, const std::string& path);

    void Tick();
    // The OK button: a KEY pause or a wait for the prompt ends. True when the dialog closes.
    bool Ok();
    // The Abort button: OK closes from now on; stepping goes on until then.
    void Abort();

    [[nodiscard]] BatchEnd End() const { return end; }
    [[nodiscard]] bool Running() const { return running != 0; }
    [[nodiscard]] bool Finished() const { return finished != 0; }
    // Stopped by a KEY line until OK.
    [[nodiscard]] bool Paused() const { return running == 0 && end == BatchEnd::Running; }
    [[nodiscard]] bool Typing() const { return typing != 0; }
    // Keys typed, now waiting for the device's prompt.
    [[nodiscard]] bool WaitingForPrompt() const {
        return running != 0 && waitPrompt != 0 && typing == 0;
    }
    [[nodiscard]] bool InTick() const { return inTick; }
    [[nodiscard]] const std::string& MessageLine() const { return texts.message; }
    [[nodiscard]] const std::string& StatusLine() const { return texts.status; }
    [[nodiscard]] const std::string& BatchPath() const { return batchPath; }
    // The line being executed, as read, and its number in the file (a JUMP stays the line
    // being executed until the line after its label is read).
    [[nodiscard]] const std::string& Line() const { return line; }
    [[nodiscard]] std::size_t LineNumber() const { return lineNumber; }
    [[nodiscard]] std::size_t LinesExecuted() const { return linesExecuted; }

private:
    using LineHandler = int (BatchExecutor::*)(const BatchTokens&);

    void TypeNextKey();
    void ReadNext();
    int Execute();
    int Refuse(std::string status);
    int TypeLine(const BatchTokens& tokens, bool wait);
    int ExecuteT8(const BatchTokens& tokens) { return TypeLine(tokens, true); }
    int ExecuteCmd(const BatchTokens& tokens) { return TypeLine(tokens, false); }
    int ExecutePrint(const BatchTokens& tokens);
    int ExecuteLabel(const BatchTokens& tokens);
    int ExecuteKey(const BatchTokens& tokens);
    int ExecuteTx(const BatchTokens& tokens);
    int ExecuteRx(const BatchTokens& tokens);
    int ExecuteJump(const BatchTokens& tokens);
    [[nodiscard]] std::string KeysFrom(const BatchTokens& tokens, std::size_t first) const;
    void SetMessage(std::string text);
    void SetStatus(std::string text);
    void Refresh();

    BatchTerminal& terminal;
    BatchDisplay& display;
    std::string txFileName;
    std::uint32_t txPending = 0;
    std::size_t keyPos = 0;
    std::string keyText;
    std::uint32_t typing = 0;
    std::uint32_t resetPrompt = 0;
    std::uint32_t finished = 0;
    LabelList labels;
    std::string line;
    std::uint32_t waitPrompt = 0;
    std::uint32_t readNext = 1;
    std::uint32_t running = 1;
    CLineFile reader;
    std::string batchPath;
    BatchTexts texts;
    bool settling = false; // the 100 ms after a T8 line was read, as a timed step
    bool inTick = false;
    BatchEnd end = BatchEnd::Running;
    std::size_t linesExecuted = 0;
    std::size_t lineNumber = 0;
};

} // namespace t8
