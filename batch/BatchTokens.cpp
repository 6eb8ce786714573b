#include "batch/BatchTokens.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace t8 {

namespace {

constexpr char kQuote = '"';

bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

bool EndsLine(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

struct KeyMapping {
    char written;
    char typed;
};

constexpr std::array<KeyMapping, 4> kKeyMappings{{
    {':', '\x0D'}, // carriage return
    {';', '\x1B'}, // escape
    {'<', '\x08'}, // backspace
    {'>', ' '},
}};

} // namespace

const std::string& BatchTokens::Text(std::size_t index) const {
    static const std::string kNone;
    return index < tokens.size() ? tokens[index].text : kNone;
}

bool BatchTokens::Is(std::string_view keyword) const {
    return SameWord(Text(0), keyword);
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::size_t LineEnd(std::string_view line) {
    const auto end = std::find_if(line.begin(), line.end(), EndsLine);
    return static_cast<std::size_t>(end - line.begin());
}

BatchTokens Tokenize(std::string_view line) {
    BatchTokens result;
    const std::string_view text = line.substr(0, LineEnd(line));
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && IsSeparator(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            break;
        }
        if (result.tokens.size() == BatchTokens::kMaxTokens) {
            result.moreIgnored = true;
            break;
        }
        const bool quoted = text[i] == kQuote;
        const std::size_t start = quoted ? i + 1 : i;
        std::size_t stop = start;
        while (stop < text.size() && (quoted ? text[stop] != kQuote : !IsSeparator(text[stop]))) {
            ++stop;
        }
        if (quoted && stop == text.size()) {
            result.missingQuote = true;
            break;
        }
        BatchToken token;
        const std::size_t length = stop - start;
        token.overlong = length > BatchTokens::kMaxTokenChars;
        token.text = std::string(text.substr(start, std::min(length, BatchTokens::kMaxTokenChars)));
        i = quoted ? stop + 1 : stop;
        token.end = i;
        result.tokens.push_back(std::move(token));
    }
    return result;
}

std::string TranslateKeys(std::string_view text) {
    std::string keys;
    keys.reserve(text.size());
    for (const char c : text) {
        if (c == ' ') {
            continue;
        }
        const auto mapping = std::find_if(kKeyMappings.begin(), kKeyMappings.end(),
                                          [c](const KeyMapping& m) { return m.written == c; });
        keys += mapping == kKeyMappings.end() ? c : mapping->typed;
    }
    return keys;
}

} // namespace t8
