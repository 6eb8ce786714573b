#pragma once

#include "link/LineWatch.h"

#include <string>
#include <vector>

namespace t8 {

// The running transfers' watches on the line, told in turn when the port goes away. A handler
// may end its own transfer or another, and so take its watch off the list meanwhile.
class LineWatchList {
public:
    void Attach(LineWatch& watch) { watches.push_back(&watch); }
    void Detach(LineWatch& watch);
    // Tells every watch still on the list; returns their notes for the operator, a line each.
    [[nodiscard]] std::string NotifyAll(LineLoss why);

private:
    std::vector<LineWatch*> watches;
};

} // namespace t8
