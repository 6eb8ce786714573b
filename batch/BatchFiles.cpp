#include "batch/BatchFiles.h"

#include "batch/BatchTokens.h"

namespace t8 {

namespace {

constexpr std::string_view kBatchExtension = ".t8b";

} // namespace

bool IsBatchFileName(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() <= kBatchExtension.size()) {
        return false; // ".t8b" alone is a hidden file's name, not an extension
    }
    return SameWord(name.substr(name.size() - kBatchExtension.size()), kBatchExtension);
}

StartupBatch RememberStartupBatch(const std::string& file) {
    StartupBatch batch;
    if (!IsBatchFileName(file) || file.size() > StartupBatch::kMaxPath) {
        return batch;
    }
    batch.pending = true;
    batch.path = file;
    return batch;
}

std::string ResolveBatchPath(const std::string& batchPath, const std::string& name) {
    if (name.empty() || name.front() == '/') {
        return name;
    }
    const std::size_t slash = batchPath.find_last_of('/');
    if (slash == std::string::npos) {
        return name;
    }
    return batchPath.substr(0, slash + 1) + name;
}

} // namespace t8
