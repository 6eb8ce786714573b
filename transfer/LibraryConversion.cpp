#include "transfer/LibraryConversion.h"

#include "formats/HexDigits.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <istream>
#include <iterator>
#include <ostream>

namespace t8 {
namespace {

constexpr std::size_t kRecordHeaderChars = 8; // count, address, type
constexpr std::size_t kAddressOffset = 3;     // behind the ":"
constexpr std::size_t kCountChars = 2;
constexpr std::size_t kAddressChars = 4;
constexpr std::size_t kChecksumChars = 2;
constexpr std::size_t kMaxBodyChars = 0xFF * 2 + kChecksumChars;
// "%04X - transmitted." needs a ":" and its whole header plus a character inside the piece
constexpr std::size_t kMinPieceForAddress = 10;

// Skips to the next ":"; false at the end of the file.
bool FindRecordStart(std::streambuf& in) {
    for (int c = in.sbumpc(); c != std::char_traits<char>::eof(); c = in.sbumpc()) {
        if (c == ':') {
            return true;
        }
    }
    return false;
}

} // namespace

bool ConvertLibrary(std::istream& source, std::ostream& scratch) {
    std::streambuf* in = source.rdbuf();
    if (in == nullptr) {
        return false;
    }
    std::string record;
    std::array<char, kMaxBodyChars> body{};
    while (FindRecordStart(*in) && in->sgetc() != std::char_traits<char>::eof()) {
        // a header cut short by the end of the file reads as zeros, but only what is there is
        // copied
        std::array<char, kRecordHeaderChars> header{};
        const auto headerRead = static_cast<std::size_t>(
            in->sgetn(header.data(), static_cast<std::streamsize>(header.size())));
        const std::uint32_t count = HexToUInt(header.data(), kCountChars);
        const std::uint32_t address = HexToUInt(header.data() + kCountChars, kAddressChars);
        if (address >= kLibraryAddressLimit) {
            continue; // the rest of this record is passed over by the search for ":"
        }
        const auto bodyRead = static_cast<std::size_t>(
            in->sgetn(body.data(), static_cast<std::streamsize>(count * 2 + kChecksumChars)));
        record.assign(1, ':');
        record.append(header.data(), headerRead);
        record.append(body.data(), bodyRead);
        record += "\r\n";
        scratch.write(record.data(), static_cast<std::streamsize>(record.size()));
    }
    return static_cast<bool>(scratch);
}

std::optional<std::string> RecordAddressText(const std::uint8_t* piece, std::size_t count) {
    if (piece == nullptr || count < kMinPieceForAddress) {
        return std::nullopt;
    }
    // the last ":" at an index from 0 to count - 10
    const auto from = std::make_reverse_iterator(piece + (count - kMinPieceForAddress) + 1);
    const auto to = std::make_reverse_iterator(piece);
    const auto found = std::find(from, to, std::uint8_t{':'});
    if (found == to) {
        return std::nullopt;
    }
    const std::uint8_t* colon = std::prev(found.base());
    const std::uint32_t address =
        HexToUInt(reinterpret_cast<const char*>(colon + kAddressOffset), kAddressChars);
    char text[32];
    std::snprintf(text, sizeof text, "%04X - transmitted.", address);
    return std::string(text);
}

} // namespace t8
