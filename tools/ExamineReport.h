#pragma once

#include "examine/ExamineTool.h"

#include <string>

namespace t8 {

// The examination's fields in the dialog's words, then the segment table.
[[nodiscard]] std::string PlainReport(const ExamineTool& tool);
// One JSON object on one line, keys in their fixed order; numbers as plain decimal integers.
[[nodiscard]] std::string JsonReport(const ExamineTool& tool);

} // namespace t8
