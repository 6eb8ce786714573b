#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace t8 {

enum class SerialEncoding { Little, Big, Bcd, Ascii };

// The serial-number file: `key = value` lines, `#` comments. next, step, address, bytes and
// encoding are the engineer's; returned (numbers handed back by parts that failed, used first)
// and reserved (numbers runs have taken and not yet given a verdict on) are the program's.
struct SerialSettings {
    std::uint64_t next = 0;
    std::uint64_t step = 1;
    std::uint32_t address = 0;
    unsigned bytes = 0;
    SerialEncoding encoding = SerialEncoding::Little;
    std::vector<std::uint64_t> returned;
    std::vector<std::uint64_t> reserved;
};

struct SerialParse {
    SerialSettings settings;
    std::string problem; // "line N: ..." for the operator; empty when the file is sound
};

// checkNumber: the number a run would take now must fit in bytes of the encoding too.
[[nodiscard]] SerialParse ParseSerialFile(const std::string& text, bool checkNumber = true);
// The file's text with next, returned and reserved set from `settings`: every other line,
// comment and value stays as it was; a key the file lacked is added at its end.
[[nodiscard]] std::string RenderSerialFile(const std::string& text, const SerialSettings& settings);
// The number's bytes as they go into the image; empty with `problem` set when it does not fit.
[[nodiscard]] std::vector<std::uint8_t>
EncodeSerial(std::uint64_t number, const SerialSettings& settings, std::string& problem);
[[nodiscard]] const char* EncodingName(SerialEncoding encoding);

} // namespace t8
