#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace t8 {

// The device keeps its library below this address; records at or above it are left out.
inline constexpr std::uint32_t kLibraryAddressLimit = 0xF800;

// Reduces an Intel HEX file to its records whose 16-bit address lies below F800, each written
// as ":" + header + data + checksum + CR LF. Everything between records (text before the first
// ":", other line ends, blanks) is dropped; record contents are copied unchecked, as far as the
// file holds them. Reads through the stream's buffer. False when the scratch cannot be written.
bool ConvertLibrary(std::istream& source, std::ostream& scratch);

// The address of the last record begun in a sent piece, as "%04X - transmitted."; nothing when
// no ":" starts a whole header in it, so the previous text stays.
[[nodiscard]] std::optional<std::string> RecordAddressText(const std::uint8_t* piece,
                                                           std::size_t count);

} // namespace t8
