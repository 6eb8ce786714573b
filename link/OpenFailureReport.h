#pragma once

#include "link/LineSettings.h"
#include "link/LinkError.h"
#include "link/PortDoctor.h"

#include <optional>
#include <string>

namespace t8 {

// The start-up message for a port that could not be opened: `name` as the operator chose it,
// `path` the address tried, `error` why, `line` the settings a refusing driver was given. With
// `roots`, a device that did not open also gets what the port doctor finds there.
[[nodiscard]] std::string OpenFailureReport(const std::string& name, const std::string& path,
                                            const LineSettings& line, const LinkError& error,
                                            const std::optional<SystemRoots>& roots);

} // namespace t8
