#pragma once

#include <string>
#include <string_view>

namespace t8 {

// A JSON string in strict UTF-8: quotes, backslashes and control characters escaped; each byte
// that is not part of a well-formed UTF-8 sequence (a stray byte, an overlong form, a surrogate,
// a code point above U+10FFFF) becomes U+FFFD, so any file name gives valid JSON.
[[nodiscard]] std::string JsonString(std::string_view text);

// `text` with each byte that is not part of a well-formed UTF-8 sequence replaced by U+FFFD.
[[nodiscard]] std::string ValidUtf8(std::string_view text);

// True when `text` is well-formed UTF-8 throughout.
[[nodiscard]] bool IsUtf8(std::string_view text);

// `"key":"text"`; when the text is not UTF-8, followed by `,"keyHex":"..."` with its exact bytes
// in hexadecimal, so that a name JsonString had to replace parts of is not lost.
[[nodiscard]] std::string JsonField(std::string_view key, std::string_view text);

} // namespace t8
