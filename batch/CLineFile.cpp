#include "batch/CLineFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace t8 {

namespace {

constexpr int kCr = '\r';
constexpr int kLf = '\n';

} // namespace

bool CLineFile::Open(const std::string& path) {
    in.reset();
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = std::strerror(EISDIR); // a folder opens for reading here, then reads nothing
        return false;
    }
    errno = 0;
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*file) {
        error = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    in = std::move(file);
    position = 0;
    lineNumber = 0;
    return true;
}

void CLineFile::OpenText(std::string text) {
    in = std::make_unique<std::istringstream>(std::move(text));
    position = 0;
    lineNumber = 0;
}

std::size_t CLineFile::ReadLine(std::string& line) {
    line.clear();
    overlong = false;
    if (!in) {
        return 0;
    }
    std::streambuf& buffer = *in->rdbuf();
    using Traits = std::streambuf::traits_type;
    bool consumed = false;
    for (int c = buffer.sbumpc(); c != Traits::eof(); c = buffer.sbumpc()) {
        ++position;
        consumed = true;
        if (c == kCr || c == kLf) {
            line += '\r';
            if (c == kLf || buffer.sgetc() == kLf) {
                line += '\n';
            }
            if (c == kCr && buffer.sgetc() == kLf) {
                buffer.sbumpc();
                ++position;
            }
            break;
        }
        if (line.size() < kMaxLineChars) {
            line += static_cast<char>(c);
        } else {
            overlong = true;
        }
    }
    if (!consumed) {
        return 0;
    }
    ++lineNumber;
    return line.size();
}

void CLineFile::Seek(std::uint64_t where, std::size_t lineNumberBefore) {
    if (!in) {
        return;
    }
    in->clear();
    in->rdbuf()->pubseekpos(static_cast<std::streamoff>(where), std::ios::in);
    position = where;
    lineNumber = lineNumberBefore;
}

} // namespace t8
