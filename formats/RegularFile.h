#pragma once

#include <cstdint>
#include <ext/stdio_filebuf.h>
#include <istream>
#include <memory>
#include <string>

namespace t8 {

// A data or batch file opened for reading. Only regular files are taken: a FIFO would hold the
// open (or every read) until some other program writes to it, a device never ends, and a folder
// reads as nothing. None of them is ever waited on: the open does not block.
struct RegularFile {
    int fd = -1;            // open for reading, close-on-exec; -1 when refused
    std::uint64_t size = 0; // at the moment of opening
    std::string error;      // why it was refused, for the operator; empty when open

    [[nodiscard]] bool Ok() const { return fd >= 0; }
};

[[nodiscard]] RegularFile OpenRegularFile(const std::string& path);

// Why `path` cannot be read as a regular file, or empty when it can; the file is not kept open.
[[nodiscard]] std::string RegularFileProblem(const std::string& path);

// A regular file as a seekable std::istream.
class RegularFileStream : public std::istream {
public:
    RegularFileStream();
    RegularFileStream(const RegularFileStream&) = delete;
    RegularFileStream& operator=(const RegularFileStream&) = delete;
    ~RegularFileStream() override;

    // False with Error() telling why; a stream opened before is closed either way.
    bool Open(const std::string& path);
    void Close();
    [[nodiscard]] bool IsOpen() const { return buffer != nullptr; }
    [[nodiscard]] std::uint64_t Size() const { return size; }
    [[nodiscard]] const std::string& Error() const { return error; }

private:
    std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> buffer;
    std::uint64_t size = 0;
    std::string error;
};

} // namespace t8
