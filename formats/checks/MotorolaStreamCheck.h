#pragma once

#include "formats/checks/StreamCheck.h"

namespace t8 {

// "S" T LL address data CC: the ones' complement of the count, address and data bytes is the
// checksum ("Download errors (SUM)!" when not); S0 header records are not checked.
class MotorolaStreamCheck final : public StreamCheck {
public:
    MotorolaStreamCheck() : StreamCheck('S') {}
    [[nodiscard]] static std::unique_ptr<StreamCheck> Make();

protected:
    void Field(std::uint8_t c) override;
};

} // namespace t8
