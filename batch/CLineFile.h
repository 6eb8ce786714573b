#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

namespace t8 {

// A batch file read line by line. A carriage return ends a line and takes a line feed right
// behind it into the line; a line feed alone also ends one and reads as the carriage return and
// line feed a batch line normally ends with, so a file edited here runs as the same file with
// CR LF line ends; the end of the file ends the last line.
class CLineFile {
public:
    // The executor's line buffer; a line holds at most kMaxLineChars before its line end.
    static constexpr std::size_t kLineBytes = 256;
    static constexpr std::size_t kMaxLineChars = kLineBytes - 1;

    CLineFile() = default;
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    // Opens `path` for reading; false with Error() telling why. Only a regular file opens: a
    // FIFO, a device or a folder is refused at once.
    [[nodiscard]] bool Open(const std::string& path);
    // Reads `text` as if it were the file (tests and the fuzzer).
    void OpenText(std::string text);
    [[nodiscard]] bool IsOpen() const { return in != nullptr; }
    [[nodiscard]] const std::string& Error() const { return error; }
    // "UTF-16" or "UTF-32" when the file is text in one of them, which no batch line can be
    // read from; nullptr for a file of bytes (ASCII, UTF-8, its byte-order mark skipped).
    [[nodiscard]] const char* WideEncoding() const { return wideEncoding; }

    // The next line, its line end included, in `line`; returns its length, 0 at the end of the
    // file. A line longer than kMaxLineChars is cut there (its line end kept) and Overlong()
    // says so; the rest of it is skipped, never read as a line of its own.
    std::size_t ReadLine(std::string& line);
    [[nodiscard]] bool Overlong() const { return overlong; }
    // Number (from 1) of the line ReadLine returned last.
    [[nodiscard]] std::size_t LineNumber() const { return lineNumber; }

    // The position just after the last line read, and a jump back to one with the number of
    // the line read before it.
    [[nodiscard]] std::uint64_t Position() const { return position; }
    void Seek(std::uint64_t where, std::size_t lineNumberBefore);

private:
    void Start();

    std::unique_ptr<std::istream> in;
    std::string error;
    std::uint64_t position = 0;
    std::size_t lineNumber = 0;
    bool overlong = false;
    const char* wideEncoding = nullptr;
};

} // namespace t8
