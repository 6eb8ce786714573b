// libFuzzer target for the batch tokenizer and key translation: one line of any bytes.

#include "batch/BatchTokens.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const t8::BatchTokens tokens = t8::Tokenize(line);
    if (tokens.tokens.size() > t8::BatchTokens::kMaxTokens) {
        std::abort();
    }
    std::size_t previousEnd = 0;
    for (const t8::BatchToken& token : tokens.tokens) {
        if (token.text.size() > t8::BatchTokens::kMaxTokenChars || token.end <= previousEnd ||
            token.end > t8::LineEnd(line)) {
            std::abort();
        }
        previousEnd = token.end;
        // a blank written is never typed; each ">" types one
        const std::string keys = t8::TranslateKeys(token.text);
        const auto written = [&](char c) {
            return static_cast<std::size_t>(std::count(token.text.begin(), token.text.end(), c));
        };
        if (keys.size() != token.text.size() - written(' ') ||
            static_cast<std::size_t>(std::count(keys.begin(), keys.end(), ' ')) != written('>')) {
            std::abort();
        }
    }
    (void)tokens.Is("PRINT");
    return 0;
}
