#include "tools/t8batch/Transcript.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>

namespace t8 {

Transcript::Transcript(Clock::time_point start_) : start(start_) {}

Transcript::~Transcript() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

bool Transcript::Open(const std::string& path, std::string& error) {
    file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

std::string Transcript::Escape(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (byte < 0x20 || byte > 0x7E) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

void Transcript::Bytes(std::string_view who, const std::uint8_t* bytes, std::size_t count) {
    if (file == nullptr || count == 0) {
        return;
    }
    std::string text(who);
    text += ": ";
    text += Escape({reinterpret_cast<const char*>(bytes), count});
    Write(text);
}

void Transcript::Note(std::string_view text) {
    if (file != nullptr) {
        Write(Escape(text));
    }
}

void Transcript::Write(std::string_view text) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    const std::lock_guard lock(mutex);
    std::fprintf(file, "%8" PRId64 " %.*s\n", static_cast<std::int64_t>(ms),
                 static_cast<int>(text.size()), text.data());
    std::fflush(file);
}

} // namespace t8
