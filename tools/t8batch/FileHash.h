#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace t8 {

// SHA-256 in lower-case hexadecimal, as sha256sum prints it.
[[nodiscard]] std::string Sha256(std::span<const std::uint8_t> bytes);
// Of a regular file's content; empty when it cannot be read.
[[nodiscard]] std::string Sha256OfFile(const std::string& path);

} // namespace t8
