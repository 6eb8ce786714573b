#include "tools/t8batch/ProgressLine.h"

#include <cstdio>
#include <unistd.h>

namespace t8 {

void ProgressLine::Show(const std::string& text) {
    if (enabled && ::isatty(STDERR_FILENO) != 0) {
        std::fprintf(stderr, "\r%s\x1b[K", text.c_str());
        shown = true;
    }
}

void ProgressLine::End() {
    if (shown) {
        std::fputc('\n', stderr);
        shown = false;
    }
}

} // namespace t8
