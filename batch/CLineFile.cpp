#include "batch/CLineFile.h"

#include "formats/RegularFile.h"

#include <array>
#include <sstream>
#include <string_view>

namespace t8 {

namespace {

constexpr int kCr = '\r';
constexpr int kLf = '\n';
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

using namespace std::string_view_literals;

} // namespace

bool CLineFile::Open(const std::string& path) {
    in.reset();
    auto file = std::make_unique<RegularFileStream>();
    if (!file->Open(path)) {
        error = file->Error();
        return false;
    }
    in = std::move(file);
    Start();
    return true;
}

void CLineFile::OpenText(std::string text) {
    in = std::make_unique<std::istringstream>(std::move(text));
    Start();
}

// A UTF-8 byte-order mark is no part of the first line. Text in UTF-16 or UTF-32 has a zero
// byte in its first character (or a byte-order mark of its own): its lines would read as
// nothing but letters and zeros, so it is named instead.
void CLineFile::Start() {
    position = 0;
    lineNumber = 0;
    wideEncoding = nullptr;
    std::streambuf& buffer = *in->rdbuf();
    std::array<char, 4> head{};
    const auto got = static_cast<std::size_t>(buffer.sgetn(head.data(), head.size()));
    const std::string_view start(head.data(), got);
    const bool zero = start.find('\0') != std::string_view::npos;
    if (start.starts_with("\xFF\xFE\0\0"sv) || start.starts_with("\0\0\xFE\xFF"sv)) {
        wideEncoding = "UTF-32";
    } else if (start.starts_with("\xFF\xFE"sv) || start.starts_with("\xFE\xFF"sv) || zero) {
        const bool threeZeros =
            got == 4 && (start.substr(0, 3) == "\0\0\0"sv || start.substr(1, 3) == "\0\0\0"sv);
        wideEncoding = threeZeros ? "UTF-32" : "UTF-16";
    } else if (start.starts_with(kUtf8Mark)) {
        position = kUtf8Mark.size();
    }
    buffer.pubseekpos(static_cast<std::streamoff>(position), std::ios::in);
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
