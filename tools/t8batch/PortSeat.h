#pragma once

#include <string>

namespace t8 {

class GangLoop;

// What a run is given beside the options when it is one port of a gang: the gang's loop, and
// the port's short name, which marks its files and its lines on the terminal. A run alone has
// neither.
struct PortSeat {
    GangLoop* gang = nullptr;
    std::string name;

    [[nodiscard]] bool InGang() const { return gang != nullptr; }
};

} // namespace t8
