#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace t8 {

class CLineFile;

struct ScriptFinding {
    std::size_t line = 0; // from 1
    bool error = true;    // false: a warning, the run may still do what was meant
    bool file = false;    // an error in a file the run needs, not in the script itself
    std::string text;
};

struct ScriptCheck {
    std::vector<ScriptFinding> findings; // in line order
    std::size_t lines = 0;

    // Script errors: the run would stop at them.
    [[nodiscard]] bool HasErrors() const;
    // A file that a TX line sends or an RX line writes cannot be used.
    [[nodiscard]] bool HasFileErrors() const;
};

// Why the file a line names cannot be used, or empty when it can. `path` is resolved beside
// the batch file; `receive` is true for an RX line's file (written), false for a TX line's
// (read).
using BatchFileProblem = std::function<std::string(const std::string& path, bool receive)>;

// Reads the whole batch file and reports what would stop a run or not do what it says: an
// unterminated quote, a line, word or label name too long, a TX or RX without a file, a LABEL
// or JUMP without a name, a JUMP whose label no LABEL line defines, text in UTF-16 or UTF-32.
// The batch language has no condition, so the run never gets past its first JUMP: it repeats
// from the label for ever, or stops there when the label's line has not run yet. A first JUMP
// to a label defined only further down is therefore an error, and the lines after the first
// JUMP are said never to run. With `fileProblem`, the files of the TX and RX lines that run are
// checked too (a TX file that an earlier RX line writes is not). Warns of words beyond the
// tenth, labels defined twice and unreachable jumps to labels defined only further down.
[[nodiscard]] ScriptCheck CheckScript(CLineFile& file, const std::string& batchPath = {},
                                      const BatchFileProblem& fileProblem = {});

} // namespace t8
