#pragma once

#include "formats/checks/StreamCheck.h"

namespace t8 {

// ":" LL AAAA TT data CC: the count, address, type and data bytes sum with the checksum to 0.
// A bad checksum or character is "Download errors !".
class IntelStreamCheck final : public StreamCheck {
public:
    IntelStreamCheck() : StreamCheck(':') {}
    [[nodiscard]] static std::unique_ptr<StreamCheck> Make();

protected:
    void Field(std::uint8_t c) override;
};

} // namespace t8
