#include "batch/BatchExecutor.h"

#include "batch/BatchFiles.h"
#include "batch/BatchTokens.h"

#include <array>
#include <string_view>

namespace t8 {

namespace {

// Marks the executor busy for one tick; a tick that arrives meanwhile is skipped.
class TickScope {
public:
    explicit TickScope(bool& flag_) : flag(flag_) { flag = true; }
    TickScope(const TickScope&) = delete;
    TickScope& operator=(const TickScope&) = delete;
    ~TickScope() { flag = false; }

private:
    bool& flag;
};

std::string_view SkipBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

} // namespace

BatchExecutor::BatchExecutor(BatchTerminal& terminal_, BatchDisplay& display_)
    : terminal(terminal_), display(display_) {}

bool BatchExecutor::Open(const std::string& path) {
    batchPath = path;
    if (reader.Open(path)) {
        return true;
    }
    SetMessage("Cannot open the batch file " + path + ": " + reader.Error() + ".");
    SetStatus(kCloseText);
    running = 0;
    readNext = 0;
    finished = 1;
    end = BatchEnd::OpenFailed;
    Refresh();
    return false;
}

void BatchExecutor::OpenText(std::string text, const std::string& path) {
    batchPath = path;
    reader.OpenText(std::move(text));
}

void BatchExecutor::Tick() {
    if (inTick) {
        return;
    }
    const TickScope scope(inTick);
    if (running == 0) {
        return;
    }
    if (settling) {
        settling = false;
        terminal.ClearPromptSeen();
    }
    if (typing != 0) {
        TypeNextKey();
        return;
    }
    if (waitPrompt != 0) {
        if (resetPrompt != 0) {
            resetPrompt = 0;
            terminal.ClearPromptSeen();
        }
        if (terminal.PromptSeen()) {
            waitPrompt = 0;
            readNext = 1;
            terminal.ClearPromptSeen();
        }
    }
    if (waitPrompt == 0) {
        readNext = 1;
    }
    if (readNext != 0) {
        ReadNext();
    }
}

// A line without keys types nothing: there is no key to send, not even a zero byte.
void BatchExecutor::TypeNextKey() {
    if (keyPos < keyText.size()) {
        terminal.TypeKey(static_cast<std::uint8_t>(keyText[keyPos++]));
    }
    if (keyPos < keyText.size()) {
        return;
    }
    typing = 0;
    keyPos = 0;
    if (txPending != 0) {
        txPending = 0;
        terminal.SendFileRaw(txFileName);
        terminal.ClearPromptSeen();
        waitPrompt = 1;
        SetStatus(kWaitingText); // the wait for the prompt says so, as after a T8 line
        Refresh();
    }
}

void BatchExecutor::ReadNext() {
    if (!reader.IsOpen()) {
        readNext = 0;
        running = 0;
        return;
    }
    readNext = 0;
    if (const char* wide = reader.WideEncoding()) {
        line.clear();
        Refuse(std::string(kWideTextStart) + wide + kWideTextEnd);
        Refresh();
        return;
    }
    if (reader.ReadLine(line) == 0) {
        SetMessage(kSuccessText);
        running = 0;
        finished = 1;
        end = BatchEnd::Completed;
        Refresh();
        return;
    }
    ++linesExecuted;
    lineNumber = reader.LineNumber();
    display.LineStarted(lineNumber, line);
    if (Execute() <= 0) {
        Refresh();
    }
    terminal.ClearPromptSeen();
}

// -1 when the line is refused, 0 when it is ignored, 1 otherwise.
int BatchExecutor::Execute() {
    if (reader.Overlong()) {
        return Refuse(kLongLineText);
    }
    const BatchTokens tokens = Tokenize(line);
    if (tokens.missingQuote) {
        return Refuse(kMissingQuoteText);
    }
    struct Keyword {
        const char* name;
        LineHandler handler;
    };
    static constexpr std::array<Keyword, 8> kKeywords{{
        {"T8", &BatchExecutor::ExecuteT8},
        {"CMD", &BatchExecutor::ExecuteCmd},
        {"PRINT", &BatchExecutor::ExecutePrint},
        {"LABEL", &BatchExecutor::ExecuteLabel},
        {"KEY", &BatchExecutor::ExecuteKey},
        {"TX", &BatchExecutor::ExecuteTx},
        {"RX", &BatchExecutor::ExecuteRx},
        {"JUMP", &BatchExecutor::ExecuteJump},
    }};
    for (const Keyword& keyword : kKeywords) {
        if (tokens.Is(keyword.name)) {
            return (this->*keyword.handler)(tokens);
        }
    }
    readNext = 1;
    waitPrompt = 0;
    return 0;
}

int BatchExecutor::Refuse(std::string status) {
    SetStatus(std::move(status));
    SetMessage(line);
    running = 0;
    finished = 1;
    end = BatchEnd::ScriptError;
    return -1;
}

// The translated words from `first` on, up to the first empty one.
std::string BatchExecutor::KeysFrom(const BatchTokens& tokens, std::size_t first) const {
    std::string keys;
    for (std::size_t i = first; i < tokens.tokens.size() && !tokens.Text(i).empty(); ++i) {
        keys += TranslateKeys(tokens.Text(i));
    }
    return keys.substr(0, kKeyTextBytes - 1);
}

namespace {

// A word the keys or a file name come from that was longer than a word may be.
bool AnyOverlong(const BatchTokens& tokens, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i <= last && i < tokens.tokens.size(); ++i) {
        if (tokens.tokens[i].overlong) {
            return true;
        }
    }
    return false;
}

constexpr std::size_t kAllWords = BatchTokens::kMaxTokens;
// A word cut short for being overlong still holds more than a label name may.
static_assert(BatchTokens::kMaxTokenChars > BatchLabel::kMaxNameChars);

} // namespace

int BatchExecutor::TypeLine(const BatchTokens& tokens, bool wait) {
    if (AnyOverlong(tokens, 1, kAllWords)) {
        return Refuse(kLongWordText);
    }
    keyText = KeysFrom(tokens, 1);
    typing = 1;
    keyPos = 0;
    if (!wait) {
        waitPrompt = 0;
        readNext = 1;
        return 1;
    }
    waitPrompt = 1;
    readNext = 0;
    SetStatus(kWaitingText);
    Refresh();
    settling = true; // the prompt flag is cleared once more on the next tick
    resetPrompt = 1;
    return 1;
}

int BatchExecutor::ExecutePrint(const BatchTokens& tokens) {
    const std::string_view text(line);
    SetMessage(std::string(SkipBlanks(text.substr(tokens.tokens.front().end))));
    SetStatus({});
    readNext = 1;
    waitPrompt = 0;
    Refresh();
    return 1;
}

int BatchExecutor::ExecuteLabel(const BatchTokens& tokens) {
    const std::string& name = tokens.Text(1);
    if (name.size() > BatchLabel::kMaxNameChars) {
        return Refuse(kLongLabelText);
    }
    labels.Add({reader.Position(), reader.LineNumber(), name});
    waitPrompt = 0;
    readNext = 1;
    return 1;
}

int BatchExecutor::ExecuteKey(const BatchTokens&) {
    running = 0;
    readNext = 0;
    waitPrompt = 0;
    SetStatus(kKeyText);
    Refresh();
    return 1;
}

int BatchExecutor::ExecuteTx(const BatchTokens& tokens) {
    if (AnyOverlong(tokens, 1, kAllWords)) {
        return Refuse(kLongWordText);
    }
    keyText = KeysFrom(tokens, 2);
    txFileName = ResolveBatchPath(batchPath, tokens.Text(1));
    if (const std::string problem = terminal.TxFileProblem(txFileName); !problem.empty()) {
        SetStatus(kTxFileText + txFileName + ": " + problem + ".");
        SetMessage(line);
        running = 0;
        finished = 1;
        end = BatchEnd::FileError;
        return -1;
    }
    typing = 1;
    keyPos = 0;
    txPending = 1;
    return 1;
}

// The keys are the rest of the line behind the file name (its closing quote included), line
// end and all, so the line's own carriage return confirms the receive unless a ":" did.
int BatchExecutor::ExecuteRx(const BatchTokens& tokens) {
    if (AnyOverlong(tokens, 1, 1)) {
        return Refuse(kLongWordText);
    }
    terminal.PrepareBatchReceive(ResolveBatchPath(batchPath, tokens.Text(1)));
    const std::size_t nameEnd =
        tokens.tokens[std::min<std::size_t>(1, tokens.tokens.size() - 1)].end;
    const std::string_view rest = std::string_view(line).substr(nameEnd);
    const std::size_t zero = rest.find('\0');
    keyText = TranslateKeys(SkipBlanks(rest.substr(0, zero))).substr(0, kKeyTextBytes - 1);
    keyPos = 0;
    typing = 1;
    Refresh();
    terminal.ClearPromptSeen();
    resetPrompt = 1;
    waitPrompt = 1;
    return 1;
}

int BatchExecutor::ExecuteJump(const BatchTokens& tokens) {
    const std::string& name = tokens.Text(1);
    if (name.size() > BatchLabel::kMaxNameChars) {
        return Refuse(kLongLabelText);
    }
    if (const auto label = labels.Find(name)) {
        reader.Seek(label->position, label->lineNumber);
        waitPrompt = 0;
        readNext = 1;
        return 1;
    }
    SetStatus(kLabelNotFoundText);
    Refresh();
    readNext = 0;
    finished = 1;
    running = 0;
    waitPrompt = 0;
    end = BatchEnd::LabelNotFound;
    return 1;
}

// The pause or wait that OK ends leaves no word of itself behind in the status line.
bool BatchExecutor::Ok() {
    if (finished == 0 && (Paused() || WaitingForPrompt())) {
        SetStatus({});
        Refresh();
    }
    waitPrompt = 0;
    running = 1;
    readNext = 1;
    return finished != 0;
}

void BatchExecutor::Abort() {
    finished = 1;
    SetMessage({});
    SetStatus(kCloseText);
    Refresh();
}

void BatchExecutor::SetMessage(std::string text) {
    texts.message = std::move(text);
    texts.messageSet = true;
}

void BatchExecutor::SetStatus(std::string text) {
    texts.status = std::move(text);
    texts.statusSet = true;
}

void BatchExecutor::Refresh() {
    display.ShowTexts(texts);
    texts.messageSet = false;
    texts.statusSet = false;
}

} // namespace t8
