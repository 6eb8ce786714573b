#include "formats/checks/AsciiStreamCheck.h"

namespace t8 {

std::unique_ptr<StreamCheck> AsciiStreamCheck::Make() {
    return std::make_unique<AsciiStreamCheck>();
}

} // namespace t8
