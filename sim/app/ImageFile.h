#pragma once

#include "sim/device/Memory.h"

#include <string>

namespace t8::sim {

// Reads a binary file into memory from address 0. Returns an error text, or empty.
[[nodiscard]] std::string LoadImage(const std::string& path, Memory& memory);
// Writes the whole memory to a file. Returns an error text, or empty.
[[nodiscard]] std::string SaveImage(const std::string& path, const Memory& memory);

} // namespace t8::sim
