#pragma once

#include "formats/checks/StreamCheck.h"

namespace t8 {

// ASCII hex has no records and no checksums: hex digits and separators only.
class AsciiStreamCheck final : public StreamCheck {
public:
    [[nodiscard]] static std::unique_ptr<StreamCheck> Make();

protected:
    void Step(std::uint8_t c) override { Admit(c, {}); }
};

} // namespace t8
