#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace t8 {

class CLineFile;

struct ScriptFinding {
    std::size_t line = 0; // from 1
    bool error = true;    // false: a warning, the run may still do what was meant
    std::string text;
};

struct ScriptCheck {
    std::vector<ScriptFinding> findings; // in line order
    std::size_t lines = 0;

    [[nodiscard]] bool HasErrors() const;
};

// Reads the whole batch file and reports what would stop a run or not do what it says: an
// unterminated quote, a line, word or label name too long, a TX or RX without a file, a LABEL
// or JUMP without a name, a JUMP whose label no LABEL line defines. Warns of words beyond the
// tenth, labels defined twice and jumps to labels defined only further down (a label is known
// once its LABEL line has run).
[[nodiscard]] ScriptCheck CheckScript(CLineFile& file);

} // namespace t8
