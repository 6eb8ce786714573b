#pragma once

#include <string>
#include <string_view>

namespace t8 {

// A JSON string: quotes, backslashes and control characters escaped; text that is not UTF-8
// is taken as Latin-1, so any file name gives valid JSON.
[[nodiscard]] std::string JsonString(std::string_view text);

} // namespace t8
