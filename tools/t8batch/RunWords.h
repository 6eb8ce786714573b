#pragma once

#include "link/LinkError.h"
#include "tools/t8batch/BatchOptions.h"

#include <string>

namespace t8 {

// t8batch's own words where the window's speak of its dialogs, buttons and menus.

// `text` without the line end a batch line keeps.
[[nodiscard]] std::string WithoutLineEnd(std::string text);
// A line to standard output; a failed write (a closed pipe) never changes the verdict.
void PrintLine(const std::string& text);
// A message box's first paragraph on one line: the news. What follows a blank line is advice
// for the window's operator.
[[nodiscard]] std::string News(const std::string& text);
// The executor's texts, with those about the window's buttons put as t8batch does; empty for
// one that has nothing to say here.
[[nodiscard]] std::string OwnWords(const std::string& text, KeyMode key);
// Why the port at `path` did not open, and for a refused permission which group owns the device
// and how to join it. `frameProblem`: what the line cannot take in the settings, when the
// driver refused them.
[[nodiscard]] std::string PortOpenFailure(const std::string& path, const LinkError& error,
                                          const std::string& frameProblem = {});

} // namespace t8
