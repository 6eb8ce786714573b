#include "batch/BatchFiles.h"
#include "batch/BatchTokens.h"
#include "batch/CLineFile.h"
#include "batch/ScriptCheck.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace t8 {
namespace {

std::vector<std::string> Texts(const BatchTokens& tokens) {
    std::vector<std::string> texts;
    for (const BatchToken& token : tokens.tokens) {
        texts.push_back(token.text);
    }
    return texts;
}

std::vector<std::string> Lines(const std::string& text) {
    CLineFile file;
    file.OpenText(text);
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadLine(line) != 0) {
        lines.push_back(line);
    }
    return lines;
}

using Strings = std::vector<std::string>;

TEST(BatchKeysTest, TranslationTable) {
    EXPECT_EQ(TranslateKeys("bu:"), "bu\r");
    EXPECT_EQ(TranslateKeys(";"), "\x1b");
    EXPECT_EQ(TranslateKeys("a>b"), "a b");
    EXPECT_EQ(TranslateKeys("x<y z"), "x\byz") << "a blank is dropped, a backspace typed";
    EXPECT_EQ(TranslateKeys("AZ09,\t\"\r\n"), "AZ09,\t\"\r\n") << "the rest as written";
}

TEST(BatchTokensTest, WordsQuotesAndLineEnds) {
    EXPECT_EQ(Texts(Tokenize("  T8\tbu:  x\r\nignored")), (Strings{"T8", "bu:", "x"}));
    EXPECT_EQ(Texts(Tokenize("TX \"my file.hex\" RE:")), (Strings{"TX", "my file.hex", "RE:"}));
    EXPECT_EQ(Texts(Tokenize("a\"b \"c d\"e")), (Strings{"a\"b", "c d", "e"}))
        << "a quote inside a word is an ordinary character";
    EXPECT_EQ(Texts(Tokenize(std::string("T8 ab\0cd", 8))), (Strings{"T8", "ab"}));
    EXPECT_EQ(Texts(Tokenize("X \"\" y")), (Strings{"X", "", "y"}));
    EXPECT_TRUE(Tokenize("\r\n").tokens.empty());

    EXPECT_TRUE(Tokenize("PRINT \"").missingQuote);
    EXPECT_TRUE(Tokenize("T8 \"ab\r\n\"").missingQuote) << "the line end comes first";

    const BatchTokens many = Tokenize("1 2 3 4 5 6 7 8 9 10 11 \"12");
    EXPECT_EQ(many.tokens.size(), BatchTokens::kMaxTokens);
    EXPECT_TRUE(many.moreIgnored);
    EXPECT_FALSE(many.missingQuote) << "words after the tenth are not looked at";

    const std::string fits(BatchTokens::kMaxTokenChars, 'k');
    const BatchTokens longer = Tokenize("T8 " + fits + " " + fits + "K");
    EXPECT_FALSE(longer.tokens[1].overlong);
    EXPECT_TRUE(longer.tokens[2].overlong);
    EXPECT_EQ(longer.tokens[2].text, fits);

    const BatchTokens ends = Tokenize("RX \"a b\"  SE");
    EXPECT_EQ(ends.tokens[1].end, 8u) << "behind the closing quote";
    EXPECT_TRUE(Tokenize("print x").Is("PRINT"));
    EXPECT_FALSE(Tokenize("PRINTX").Is("PRINT"));
}

TEST(LineFileTest, EveryLineEndAndTheEndOfTheFile) {
    EXPECT_EQ(Lines("a\r\nb\rc\nd"), (Strings{"a\r\n", "b\r", "c\r\n", "d"}));
    EXPECT_EQ(Lines("a\r\r\n\n"), (Strings{"a\r", "\r\n", "\r\n"}));
    EXPECT_EQ(Lines("last\r"), (Strings{"last\r"})) << "nothing is left after the CR";
    EXPECT_TRUE(Lines("").empty());
    EXPECT_EQ(Lines("a\n\rb"), (Strings{"a\r\n", "\r", "b"}));
}

TEST(LineFileTest, LongLinesAreCutOnceAndFlagged) {
    const std::string fits(CLineFile::kMaxLineChars, 'f');
    CLineFile file;
    file.OpenText(fits + "\r\n" + fits + "XYZ\r\nT8 next\r\n");
    std::string line;
    ASSERT_EQ(file.ReadLine(line), CLineFile::kMaxLineChars + 2);
    EXPECT_FALSE(file.Overlong());
    ASSERT_EQ(file.ReadLine(line), CLineFile::kMaxLineChars + 2);
    EXPECT_TRUE(file.Overlong());
    EXPECT_EQ(line, fits + "\r\n");
    file.ReadLine(line);
    EXPECT_EQ(line, "T8 next\r\n") << "the rest of a long line is never a line of its own";
    EXPECT_FALSE(file.Overlong());
    EXPECT_EQ(file.LineNumber(), 3u);
}

TEST(LineFileTest, PositionsAndJumpsBack) {
    CLineFile file;
    file.OpenText("one\r\ntwo\nthree");
    std::string line;
    file.ReadLine(line);
    const std::uint64_t afterOne = file.Position();
    EXPECT_EQ(afterOne, 5u);
    file.ReadLine(line);
    file.ReadLine(line);
    EXPECT_EQ(file.ReadLine(line), 0u);
    file.Seek(afterOne, 1);
    file.ReadLine(line);
    EXPECT_EQ(line, "two\r\n");
    EXPECT_EQ(file.LineNumber(), 2u);

    CLineFile missing;
    EXPECT_FALSE(missing.Open("/nonexistent/x.t8b"));
    EXPECT_EQ(missing.Error(), "No such file or directory");
    EXPECT_FALSE(missing.Open("/"));
    EXPECT_EQ(missing.Error(), "Is a directory");
}

// A FIFO would hold the open until some program writes to it; a device never ends.
TEST(LineFileTest, OnlyARegularFileOpensAndNothingIsWaitedOn) {
    test::TempFolder folder;
    const std::string fifo = folder.Path("job.t8b");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CLineFile file;
    EXPECT_FALSE(file.Open(fifo));
    EXPECT_EQ(file.Error(), "it is a FIFO, not a regular file");
    EXPECT_FALSE(file.Open("/dev/null"));
    EXPECT_EQ(file.Error(), "it is a character device, not a regular file");
}

TEST(LineFileTest, AByteOrderMarkIsSkippedAndWideTextIsNamed) {
    EXPECT_EQ(Lines("\xEF\xBB\xBFPRINT a\r\n"), (Strings{"PRINT a\r\n"}));
    CLineFile marked;
    marked.OpenText("\xEF\xBB\xBFLABEL a\r\nT8 x\r\n");
    std::string line;
    marked.ReadLine(line);
    const std::uint64_t afterLabel = marked.Position();
    marked.ReadLine(line);
    marked.Seek(afterLabel, 1);
    marked.ReadLine(line);
    EXPECT_EQ(line, "T8 x\r\n") << "positions count the mark, so jumps land on their line";
    EXPECT_EQ(marked.WideEncoding(), nullptr);

    using Case = std::pair<std::string, std::string>;
    for (const auto& [text, encoding] :
         {Case{std::string("\xFF\xFEP\0R\0", 6), "UTF-16"}, Case{"\xFE\xFF\0P\0R", "UTF-16"},
          Case{std::string("P\0R\0", 4), "UTF-16"}, Case{std::string("\0P\0R", 4), "UTF-16"},
          Case{std::string("\xFF\xFE\0\0P\0\0\0", 8), "UTF-32"},
          Case{std::string("P\0\0\0", 4), "UTF-32"}, Case{std::string("\0\0\0P", 4), "UTF-32"}}) {
        CLineFile wide;
        wide.OpenText(text);
        ASSERT_NE(wide.WideEncoding(), nullptr) << text.size();
        EXPECT_EQ(std::string(wide.WideEncoding()), encoding) << text.size();
    }
}

TEST(BatchFilesTest, OnlyTheExtensionMakesABatchFile) {
    for (const auto& [name, batch] : {std::pair{"/home/op/JOBS/Burn.T8B", true},
                                      {"run.t8B", true},
                                      {"/data/t8b-parts/image.hex", false},
                                      {"/data/job.t8b/image.hex", false},
                                      {"/data/image.t8bx", false},
                                      {"/data/.t8b", false}}) {
        EXPECT_EQ(IsBatchFileName(name), batch) << name;
    }

    const auto batch = RememberStartupBatch("/home/op/JOBS/Burn.T8B");
    EXPECT_TRUE(batch.pending);
    EXPECT_EQ(batch.path, "/home/op/JOBS/Burn.T8B") << "the name is kept as given";
    EXPECT_FALSE(RememberStartupBatch("/data/t8b-parts/image.hex").pending);
    EXPECT_FALSE(RememberStartupBatch("").pending);
    const std::string fits = "/" + std::string(StartupBatch::kMaxPath - 5, 'a') + ".t8b";
    ASSERT_EQ(fits.size(), StartupBatch::kMaxPath);
    EXPECT_TRUE(RememberStartupBatch(fits).pending);
    EXPECT_FALSE(RememberStartupBatch("/a" + fits).pending) << "too long for the memo";

    EXPECT_EQ(ResolveBatchPath("/jobs/a.t8b", "p.hex"), "/jobs/p.hex");
    EXPECT_EQ(ResolveBatchPath("/jobs/a.t8b", "/abs/p.hex"), "/abs/p.hex");
    EXPECT_EQ(ResolveBatchPath("a.t8b", "p.hex"), "p.hex");
    EXPECT_EQ(ResolveBatchPath("/jobs/a.t8b", ""), "");
}

TEST(ScriptCheckTest, ReportsWhatStopsARunWithItsLine) {
    CLineFile file;
    file.OpenText("LABEL top\r\n"
                  "T8 \"ab\r\n"
                  "JUMP nowhere\r\n"
                  "JUMP later\r\n"
                  "LABEL later\r\n"
                  "LABEL TOP\r\n"
                  "TX\r\n"
                  "CMD " +
                  std::string(44, 'w') + "\r\n" + "JUMP " + std::string(32, 'n') + "\r\n" +
                  std::string(300, 'x') + "\r\n" + "REM " + std::string(50, 'c') + "\r\n" +
                  "T8 1 2 3 4 5 6 7 8 9 10\r\nJUMP top");
    const ScriptCheck check = CheckScript(file);
    EXPECT_TRUE(check.HasErrors());
    EXPECT_EQ(check.lines, 13u);
    std::string where; // line numbers, each followed by "!" for an error or "?" for a warning
    for (const ScriptFinding& finding : check.findings) {
        where += std::to_string(finding.line) + (finding.error ? "!" : "?");
    }
    EXPECT_EQ(where, "2!3!4?6?7!8!9!10!12?");
    EXPECT_EQ(check.findings[1].text, "no LABEL line defines nowhere");

    CLineFile clean;
    clean.OpenText("LABEL a\nT8 bu:\nPRINT \"quoted\" text\nJUMP a\n");
    EXPECT_FALSE(CheckScript(clean).HasErrors());
    EXPECT_TRUE(CheckScript(clean).findings.empty());

    CLineFile wide;
    wide.OpenText(std::string("\xFF\xFET\08\0", 6));
    const ScriptCheck widened = CheckScript(wide);
    ASSERT_EQ(widened.findings.size(), 1u);
    EXPECT_EQ(widened.findings[0].text, "the file is UTF-16 text; save it as ASCII or UTF-8");
}

std::string Findings(const std::string& text, const BatchFileProblem& problem = {}) {
    CLineFile file;
    file.OpenText(text);
    std::string found;
    for (const ScriptFinding& finding : CheckScript(file, "/jobs/a.t8b", problem).findings) {
        found += std::to_string(finding.line) +
                 (finding.file    ? "f"
                  : finding.error ? "!"
                                  : "?") +
                 " " + finding.text + "\n";
    }
    return found;
}

// No condition in the language: a run never gets past its first JUMP.
TEST(ScriptCheckTest, TheFirstJumpDecidesWhatRuns) {
    EXPECT_EQ(Findings("T8 :\nJUMP later\nT8 BU:\nLABEL later\n"),
              "2! label later is defined further down (line 4), and this JUMP runs before that "
              "line: the run stops here\n"
              "3? this line and those after it never run: the JUMP on line 2 repeats from its "
              "label for ever, or stops the run\n");
    EXPECT_EQ(Findings("LABEL top\nT8 :\nJUMP top\nJUMP later\nLABEL later\n"),
              "4? this line and those after it never run: the JUMP on line 3 repeats from its "
              "label for ever, or stops the run\n"
              "4? label later is defined further down (line 5): the jump fails unless that "
              "line ran before\n")
        << "a JUMP that never runs cannot stop the run";
    EXPECT_EQ(Findings("PRINT \"x\nJUMP later\nLABEL later\n"),
              "1! missing end \" (a quoted word runs to the end of the line)\n"
              "2? label later is defined further down (line 3): the jump fails unless that "
              "line ran before\n")
        << "the run stops before its JUMP";
}

TEST(ScriptCheckTest, TheFilesOfTheLinesThatRunAreChecked) {
    std::vector<std::string> asked;
    const BatchFileProblem problem = [&](const std::string& path, bool receive) {
        asked.push_back((receive ? "rx " : "tx ") + path);
        return path.ends_with("missing.hex") ? std::string("No such file or directory")
                                             : std::string();
    };
    EXPECT_EQ(Findings("TX missing.hex RE:\nRX back.hex SE0,1:\nTX back.hex RE:\n"
                       "TX /abs/p.hex RE:\nLABEL a\nJUMP a\nTX missing.hex RE:\n",
                       problem),
              "1f cannot read the TX file /jobs/missing.hex: No such file or directory\n"
              "7? this line and those after it never run: the JUMP on line 6 repeats from its "
              "label for ever, or stops the run\n");
    EXPECT_EQ(asked, (Strings{"tx /jobs/missing.hex", "rx /jobs/back.hex", "tx /abs/p.hex"}))
        << "a file an earlier RX writes, and a line that never runs, are not asked about";

    CLineFile file;
    file.OpenText("TX missing.hex\n");
    const ScriptCheck check = CheckScript(file, "/jobs/a.t8b", problem);
    EXPECT_FALSE(check.HasErrors()) << "a file error is not a script error";
    EXPECT_TRUE(check.HasFileErrors());
}

// A hash finds each label: a file of many of them checks in linear time.
TEST(ScriptCheckTest, ManyLabelsAreFoundByName) {
    std::string text;
    constexpr int kLabels = 20000;
    for (int i = 0; i < kLabels; ++i) {
        text += "LABEL L" + std::to_string(i) + "\n";
    }
    text += "JUMP l" + std::to_string(kLabels - 1) + "\nJUMP nowhere\n";
    CLineFile file;
    file.OpenText(text);
    const ScriptCheck check = CheckScript(file);
    ASSERT_EQ(check.findings.size(), 2u);
    EXPECT_EQ(check.findings[1].text, "no LABEL line defines nowhere");
    EXPECT_TRUE(check.findings[1].error) << "a label no line defines is a mistake anywhere";
    EXPECT_FALSE(check.findings[0].error) << "the line never runs: a warning";
}

} // namespace
} // namespace t8
