#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace t8 {

// Watches a byte stream for any of a few texts, found wherever the stream's blocks split them.
class TextWatch {
public:
    explicit TextWatch(std::vector<std::string> texts);

    // The index of a text that ended in this block (the first one found), if any.
    [[nodiscard]] std::optional<std::size_t> Feed(const std::uint8_t* bytes, std::size_t count);
    [[nodiscard]] const std::string& Text(std::size_t index) const { return patterns[index].text; }
    [[nodiscard]] bool Empty() const { return patterns.empty(); }
    // Other bytes came between: what was matched so far does not go on into the next block.
    void Reset();

private:
    struct Pattern {
        std::string text;
        std::vector<std::size_t> fallback; // longest proper border of each prefix
        std::size_t matched = 0;           // characters of `text` matched so far
    };

    std::vector<Pattern> patterns;
};

} // namespace t8
