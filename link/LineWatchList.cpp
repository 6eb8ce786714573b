#include "link/LineWatchList.h"

#include <algorithm>

namespace t8 {

void LineWatchList::Detach(LineWatch& watch) {
    watches.erase(std::remove(watches.begin(), watches.end(), &watch), watches.end());
}

std::string LineWatchList::NotifyAll(LineLoss why) {
    std::string notes;
    const std::vector<LineWatch*> running = watches;
    for (LineWatch* watch : running) {
        if (std::find(watches.begin(), watches.end(), watch) == watches.end()) {
            continue; // ended by an earlier handler
        }
        const std::string note = watch->Notify(why);
        if (!note.empty()) {
            notes += note + "\n";
        }
    }
    return notes;
}

} // namespace t8
