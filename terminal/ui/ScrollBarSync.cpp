#include "terminal/ui/ScrollBarSync.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace t8 {

void ScrollBarSync::Show(const ScreenModel& screen) {
    showing = true;
    for (const auto& [bar, orientation] :
         {std::pair{area.verticalScrollBar(), ScrollOrientation::Vertical},
          std::pair{area.horizontalScrollBar(), ScrollOrientation::Horizontal}}) {
        const ScrollBarState state = screen.ScrollBar(orientation);
        bar->setRange(0, state.maximum);
        bar->setPageStep(std::max(1, state.pageStep));
        bar->setSingleStep(std::max(1, state.singleStep));
        bar->setValue(state.position);
    }
    showing = false;
}

bool ScrollBarSync::Follow(ScreenModel& screen) {
    if (showing) {
        return false;
    }
    constexpr int kThumbPosition = 4;
    screen.Scroll(ScrollOrientation::Vertical, kThumbPosition, area.verticalScrollBar()->value());
    screen.Scroll(ScrollOrientation::Horizontal, kThumbPosition,
                  area.horizontalScrollBar()->value());
    (void)screen.TakeDamage();
    return true;
}

} // namespace t8
