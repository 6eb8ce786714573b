#include "link/LineWatch.h"

#include "link/SerialLink.h"

namespace t8 {

LineWatch::LineWatch(SerialLink& link_, Handler onLost_) : link(link_), onLost(std::move(onLost_)) {
    link.Attach(*this);
}

LineWatch::~LineWatch() {
    link.Detach(*this);
}

std::string LineWatch::Notify(LineLoss why) {
    if (!loss) {
        loss = why;
    }
    return onLost ? onLost(why) : std::string();
}

} // namespace t8
