#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace t8 {

// True for a name whose extension is ".t8b" in any case. Only the extension counts: a data file
// in a folder whose name merely contains the letters is not a batch file.
[[nodiscard]] bool IsBatchFileName(std::string_view path);

// A file named on the command line that is also run as a batch about 2 s after the port opens.
struct StartupBatch {
    static constexpr std::size_t kMaxPath = 255;
    bool pending = false;
    std::string path;
};

// The start-up rule: a batch file name is remembered. The path is kept as given (file names are
// case-sensitive here); a name too long for the memo is not remembered, and the document's own
// batch request runs it instead.
[[nodiscard]] StartupBatch RememberStartupBatch(const std::string& file);

// A file named in a batch line: absolute names as they are, others beside the batch file, so a
// batch runs the same whichever folder it was started from. An empty name stays empty.
[[nodiscard]] std::string ResolveBatchPath(const std::string& batchPath, const std::string& name);

} // namespace t8
