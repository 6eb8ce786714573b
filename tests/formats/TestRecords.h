#pragma once

// Builders of well-formed records with their checksums, so cases state data, not arithmetic.

#include <cstdint>
#include <string>
#include <vector>

namespace t8::test {

using Bytes = std::vector<std::uint8_t>;

std::string Hex(std::uint32_t value, int digits);
std::string IntelRecord(std::uint32_t type, std::uint32_t offset, const Bytes& data);
std::string IntelEnd();
// type 1 or 2: 16- or 24-bit address.
std::string SRecord(int type, std::uint32_t address, const Bytes& data);
std::string TekRecord(std::uint32_t address, const Bytes& data);
std::string TekExtended(char type, std::uint32_t address, const Bytes& data);
Bytes ToBytes(const std::string& text);
Bytes Filled(std::size_t count, std::uint8_t value);
std::uint32_t ByteSum(const Bytes& data);

} // namespace t8::test
