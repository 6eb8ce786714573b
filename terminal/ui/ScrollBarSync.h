#pragma once

#include "terminal/ScreenModel.h"

class QAbstractScrollArea;

namespace t8 {

// Keeps a scroll area's bars and the screen's scroll offsets in step, both ways: the bars show
// where the screen is, and a bar the operator moves scrolls the screen.
class ScrollBarSync {
public:
    explicit ScrollBarSync(QAbstractScrollArea& area_) : area(area_) {}

    // The bars take the screen's ranges and positions; setting them scrolls nothing back.
    void Show(const ScreenModel& screen);
    // A bar moved: the screen scrolls to both bars' positions, its damage dropped (the caller
    // repaints all). False, with nothing done, while Show sets the bars.
    bool Follow(ScreenModel& screen);

private:
    QAbstractScrollArea& area;
    bool showing = false;
};

} // namespace t8
