#include "batch/ScriptCheck.h"

#include "batch/BatchTokens.h"
#include "batch/CLineFile.h"
#include "batch/LabelList.h"

#include <algorithm>

namespace t8 {

namespace {

struct Jump {
    std::size_t line;
    std::string name;
};

class Checker {
public:
    void Line(std::size_t number, const std::string& text, bool overlong);
    void Jumps();
    ScriptCheck result;

private:
    void Error(std::size_t number, std::string text) {
        result.findings.push_back({number, true, std::move(text)});
    }
    void Warning(std::size_t number, std::string text) {
        result.findings.push_back({number, false, std::move(text)});
    }
    void Words(std::size_t number, const BatchTokens& tokens, std::size_t last);
    void LabelName(std::size_t number, const BatchTokens& tokens);
    void Label(std::size_t number, const BatchTokens& tokens);

    LabelList labels;
    std::vector<Jump> jumps;
};

void Checker::Line(std::size_t number, const std::string& text, bool overlong) {
    if (overlong) {
        Error(number,
              "line longer than " + std::to_string(CLineFile::kMaxLineChars) + " characters");
        return;
    }
    const BatchTokens tokens = Tokenize(text);
    if (tokens.missingQuote) {
        Error(number, "missing end \" (a quoted word runs to the end of the line)");
        return;
    }
    if (tokens.moreIgnored) {
        Warning(number, "words after the tenth are ignored");
    }
    if (tokens.Is("T8") || tokens.Is("CMD")) {
        Words(number, tokens, BatchTokens::kMaxTokens);
    } else if (tokens.Is("TX") || tokens.Is("RX")) {
        Words(number, tokens, tokens.Is("TX") ? BatchTokens::kMaxTokens : 1);
        if (tokens.Text(1).empty()) {
            Error(number, tokens.Text(0) + " needs a file name");
        }
    } else if (tokens.Is("LABEL")) {
        Label(number, tokens);
    } else if (tokens.Is("JUMP")) {
        LabelName(number, tokens);
        jumps.push_back({number, tokens.Text(1)});
    }
}

void Checker::Words(std::size_t number, const BatchTokens& tokens, std::size_t last) {
    for (std::size_t i = 1; i <= last && i < tokens.tokens.size(); ++i) {
        if (tokens.tokens[i].overlong) {
            Error(number, "word " + std::to_string(i + 1) + " is longer than " +
                              std::to_string(BatchTokens::kMaxTokenChars) + " characters");
        }
    }
}

void Checker::LabelName(std::size_t number, const BatchTokens& tokens) {
    const std::string& name = tokens.Text(1);
    if (name.empty()) {
        Error(number, tokens.Text(0) + " needs a label name");
    } else if (name.size() > BatchLabel::kMaxNameChars) { // an overlong word is, too
        Error(number, "label name longer than " + std::to_string(BatchLabel::kMaxNameChars) +
                          " characters");
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
        if (jump.name.empty()) {
            continue; // reported at the line
        }
        const auto label = labels.Find(jump.name);
        if (!label) {
            Error(jump.line, "no LABEL line defines " + jump.name);
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
                       [](const ScriptFinding& finding) { return finding.error; });
}

ScriptCheck CheckScript(CLineFile& file) {
    Checker checker;
    std::string line;
    while (file.ReadLine(line) != 0) {
        checker.Line(file.LineNumber(), line, file.Overlong());
    }
    checker.result.lines = file.LineNumber();
    checker.Jumps();
    return std::move(checker.result);
}

} // namespace t8
