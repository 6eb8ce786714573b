#include "tools/t8batch/TextWatch.h"

namespace t8 {

TextWatch::TextWatch(std::vector<std::string> texts) {
    for (std::string& text : texts) {
        if (text.empty()) {
            continue;
        }
        Pattern pattern;
        pattern.fallback.assign(text.size(), 0);
        for (std::size_t i = 1, k = 0; i < text.size(); ++i) {
            while (k > 0 && text[i] != text[k]) {
                k = pattern.fallback[k - 1];
            }
            if (text[i] == text[k]) {
                ++k;
            }
            pattern.fallback[i] = k;
        }
        pattern.text = std::move(text);
        patterns.push_back(std::move(pattern));
    }
}

std::optional<std::size_t> TextWatch::Feed(const std::uint8_t* bytes, std::size_t count) {
    std::optional<std::size_t> found;
    for (std::size_t p = 0; p < patterns.size(); ++p) {
        Pattern& pattern = patterns[p];
        for (std::size_t i = 0; i < count; ++i) {
            const char c = static_cast<char>(bytes[i]);
            while (pattern.matched > 0 && pattern.text[pattern.matched] != c) {
                pattern.matched = pattern.fallback[pattern.matched - 1];
            }
            if (pattern.text[pattern.matched] == c) {
                ++pattern.matched;
            }
            if (pattern.matched == pattern.text.size()) {
                pattern.matched = pattern.fallback[pattern.matched - 1];
                if (!found) {
                    found = p;
                }
            }
        }
    }
    return found;
}

void TextWatch::Reset() {
    for (Pattern& pattern : patterns) {
        pattern.matched = 0;
    }
}

} // namespace t8
