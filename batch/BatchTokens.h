#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace t8 {

// One word of a batch line. `end` is where it ends in the line, behind its closing quote.
struct BatchToken {
    std::string text;
    std::size_t end = 0;
    bool overlong = false; // longer than kMaxTokenChars; `text` holds the first ones
};

struct BatchTokens {
    static constexpr std::size_t kMaxTokens = 10;
    static constexpr std::size_t kMaxTokenChars = 43;

    std::vector<BatchToken> tokens;
    bool missingQuote = false; // a quoted word ran to the end of the line
    bool moreIgnored = false;  // words after the tenth were there and are ignored

    // The text of token `index`, empty when the line has fewer.
    [[nodiscard]] const std::string& Text(std::size_t index) const;
    // True when the first token is `keyword`, in any case.
    [[nodiscard]] bool Is(std::string_view keyword) const;
};

// Splits a batch line: blanks and tabs separate words; a word that starts with a double quote
// runs to the next one, blanks included, the quotes not part of it; a carriage return, line
// feed or zero byte ends the line.
[[nodiscard]] BatchTokens Tokenize(std::string_view line);

// The line up to what ends it for the tokenizer (carriage return, line feed or zero byte).
[[nodiscard]] std::size_t LineEnd(std::string_view line);

// Words compared as the batch language compares keywords, label names and the extension:
// ASCII letters without regard to case.
[[nodiscard]] bool SameWord(std::string_view a, std::string_view b);

// The keys a batch word types: a blank is dropped, ":" is Enter, ";" Esc, "<" backspace, ">"
// a blank; every other character is typed as it is.
[[nodiscard]] std::string TranslateKeys(std::string_view text);

} // namespace t8
