#pragma once

#include <string>
#include <string_view>

namespace t8 {

// The file dialogs' filters, as pairs of display name and patterns separated by bars.
inline constexpr std::string_view kDataFileFilter =
    "All Files (*.*)|*.*|IntelHEX Files (*.hex)|*.hex|MOTOROLA-S Files (*.S*,*.MOT)|*.S*;*.MOT|"
    "Binary Files (*.bin,*.rom)|*.bin;*.rom||";
inline constexpr std::string_view kCaptureFileFilter =
    "Capture files (*.cap)|*.cap|All Files (*.*)|*.*||";
inline constexpr std::string_view kLibraryFileFilter =
    "IntelHEX Files (*.hex)|*.hex|All Files (*.*)|*.*||";
inline constexpr std::string_view kBatchFileFilter =
    "T8 Batch files (*.T8B)|*.T8B|All Files (*.*)|*.*||";

// The same filter in the form the Qt file dialogs take ("Name (*.a *.b);;..."). File names are
// case-sensitive here, so every extension pattern also matches its other case, and "*.*"
// (every file, dotted or not, where these filters come from) becomes "*".
[[nodiscard]] std::string DialogFilter(std::string_view barSeparated);
// One pattern list ("*.t8b;*.hex") in the dialogs' form, every extension in both cases.
[[nodiscard]] std::string DialogPatterns(std::string_view patterns);

} // namespace t8
