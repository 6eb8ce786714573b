#pragma once

namespace t8 {

// The program's name: the caption of its message boxes and the name its settings are kept
// under.
inline constexpr char kAppName[] = "T8HostLink";

} // namespace t8
