#include "batch/ScriptCheck.h"

#include "batch/BatchFiles.h"
#include "batch/BatchTokens.h"
#include "batch/CLineFile.h"
#include "batch/LabelList.h"

#include <algorithm>
#include <unordered_set>

namespace t8 {

namespace {

struct Jump {
    std::size_t line;
    std::string name;
    bool first; // the first JUMP a run reaches
};

class Checker {
public:
    Checker(const std::string& batchPath_, const BatchFileProblem& fileProblem_)
        : batchPath(batchPath_), fileProblem(fileProblem_) {}

    void Line(std::size_t number, const std::string& text, bool overlong);
    void Jumps();
    ScriptCheck result;

private:
    void Error(std::size_t number, std::string text) {
        result.findings.push_back({number, true, false, std::move(text)});
    }
    // An error the executor refuses its line for: the run stops there.
    void Stop(std::size_t number, std::string text) {
        Error(number, std::move(text));
        reached = false;
    }
    void Warning(std::size_t number, std::string text) {
        result.findings.push_back({number, false, false, std::move(text)});
    }
    void Unreached(std::size_t number);
    void Words(std::size_t number, const BatchTokens& tokens, std::size_t last);
    void LabelName(std::size_t number, const BatchTokens& tokens);
    void Label(std::size_t number, const BatchTokens& tokens);
    void Transfer(std::size_t number, const BatchTokens& tokens);

    const std::string& batchPath;
    const BatchFileProblem& fileProblem;
    LabelList labels;
    std::vector<Jump> jumps;
    std::unordered_set<std::string> received; // files RX lines write before the line checked
    bool reached = true;                      // a run gets to this line
    std::size_t firstJump = 0;
    bool unreachedTold = false;
};

void Checker::Line(std::size_t number, const std::string& text, bool overlong) {
    if (firstJump != 0) {
        Unreached(number);
    }
    if (overlong) {
        Stop(number,
             "line longer than " + std::to_string(CLineFile::kMaxLineChars) + " characters");
        return;
    }
    const BatchTokens tokens = Tokenize(text);
    if (tokens.missingQuote) {
        Stop(number, "missing end \" (a quoted word runs to the end of the line)");
        return;
    }
    if (tokens.moreIgnored) {
        Warning(number, "words after the tenth are ignored");
    }
    if (tokens.Is("T8") || tokens.Is("CMD")) {
        Words(number, tokens, BatchTokens::kMaxTokens);
    } else if (tokens.Is("TX") || tokens.Is("RX")) {
        Transfer(number, tokens);
    } else if (tokens.Is("LABEL")) {
        Label(number, tokens);
    } else if (tokens.Is("JUMP")) {
        const bool first = reached && firstJump == 0;
        jumps.push_back({number, tokens.Text(1), first});
        LabelName(number, tokens);
        if (first) {
            firstJump = number;
        }
    }
}

// Told once, at the first line with something to do.
void Checker::Unreached(std::size_t number) {
    if (!unreachedTold) {
        unreachedTold = true;
        Warning(number, "this line and those after it never run: the JUMP on line " +
                            std::to_string(firstJump) +
                            " repeats from its label for ever, or stops the run");
    }
}

void Checker::Words(std::size_t number, const BatchTokens& tokens, std::size_t last) {
    for (std::size_t i = 1; i <= last && i < tokens.tokens.size(); ++i) {
        if (tokens.tokens[i].overlong) {
            Stop(number, "word " + std::to_string(i + 1) + " is longer than " +
                             std::to_string(BatchTokens::kMaxTokenChars) + " characters");
        }
    }
}

void Checker::Transfer(std::size_t number, const BatchTokens& tokens) {
    const bool receive = tokens.Is("RX");
    Words(number, tokens, receive ? 1 : BatchTokens::kMaxTokens);
    if (tokens.Text(1).empty()) {
        Error(number, tokens.Text(0) + " needs a file name");
        return;
    }
    const std::string path = ResolveBatchPath(batchPath, tokens.Text(1));
    if (fileProblem && reached && firstJump == 0 && (receive || !received.contains(path))) {
        if (const std::string problem = fileProblem(path, receive); !problem.empty()) {
            result.findings.push_back(
                {number, true, true,
                 std::string(receive ? "cannot write the RX file " : "cannot read the TX file ") +
                     path + ": " + problem});
        }
    }
    if (receive) {
        received.insert(path);
    }
}

void Checker::LabelName(std::size_t number, const BatchTokens& tokens) {
    const std::string& name = tokens.Text(1);
    if (name.empty()) {
        Error(number, tokens.Text(0) + " needs a label name");
    } else if (name.size() > BatchLabel::kMaxNameChars) { // an overlong word is, too
        Stop(number,
             "label name longer than " + std::to_string(BatchLabel::kMaxNameChars) + " characters");
    }
}

void Checker::Label(std::size_t number, const BatchTokens& tokens) {
    LabelName(number, tokens);
    const std::string& name = tokens.Text(1);
    if (const auto first = labels.Find(name)) {
        Warning(number, "label " + name + " is defined again; the first one (line " +
                            std::to_string(first->lineNumber) + ") stays");
        return;
    }
    labels.Add({0, number, name});
}

void Checker::Jumps() {
    for (const Jump& jump : jumps) {
        if (jump.name.empty() || jump.name.size() > BatchLabel::kMaxNameChars) {
            continue; // reported at the line
        }
        const auto label = labels.Find(jump.name);
        if (!label) {
            result.findings.push_back(
                {jump.line, true, false, "no LABEL line defines " + jump.name});
        } else if (label->lineNumber > jump.line && jump.first) {
            result.findings.push_back(
                {jump.line, true, false,
                 "label " + jump.name + " is defined further down (line " +
                     std::to_string(label->lineNumber) +
                     "), and this JUMP runs before that line: the run stops here"});
        } else if (label->lineNumber > jump.line) {
            Warning(jump.line, "label " + jump.name + " is defined further down (line " +
                                   std::to_string(label->lineNumber) +
                                   "): the jump fails unless that line ran before");
        }
    }
    std::stable_sort(
        result.findings.begin(), result.findings.end(),
        [](const ScriptFinding& a, const ScriptFinding& b) { return a.line < b.line; });
}

} // namespace

bool ScriptCheck::HasErrors() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const ScriptFinding& finding) { return finding.error && !finding.file; });
}

bool ScriptCheck::HasFileErrors() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const ScriptFinding& finding) { return finding.file; });
}

ScriptCheck CheckScript(CLineFile& file, const std::string& batchPath,
                        const BatchFileProblem& fileProblem) {
    Checker checker(batchPath, fileProblem);
    if (const char* wide = file.WideEncoding()) {
        checker.result.findings.push_back(
            {1, true, false,
             std::string("the file is ") + wide + " text; save it as ASCII or UTF-8"});
        return std::move(checker.result);
    }
    std::string line;
    while (file.ReadLine(line) != 0) {
        checker.Line(file.LineNumber(), line, file.Overlong());
    }
    checker.result.lines = file.LineNumber();
    checker.Jumps();
    return std::move(checker.result);
}

} // namespace t8
