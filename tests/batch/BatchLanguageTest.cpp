#include "batch/BatchFiles.h"
#include "batch/BatchTokens.h"
#include "batch/CLineFile.h"
#include "batch/ScriptCheck.h"

#include <gtest/gtest.h>

#include <string>
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
    EXPECT_EQ(where, "2!3!4?6?7!8!9!9!10!12?");
    EXPECT_EQ(check.findings[1].text, "no LABEL line defines nowhere");

    CLineFile clean;
    clean.OpenText("LABEL a\nT8 bu:\nPRINT \"quoted\" text\nJUMP a\n");
    EXPECT_FALSE(CheckScript(clean).HasErrors());
    EXPECT_TRUE(CheckScript(clean).findings.empty());
}

} // namespace
} // namespace t8
