#pragma once

#include "formats/checks/StreamCheck.h"

namespace t8 {

// Tektronix HEX, standard ("/" AAAA LL C1 data C2, both checksums sums of digit values) and
// extended ("%" LL T CC N address data, LL counting the characters after the mark).
class TekStreamCheck final : public StreamCheck {
public:
    [[nodiscard]] static std::unique_ptr<StreamCheck> Make();

protected:
    void Step(std::uint8_t c) override;

private:
    enum class Kind : std::int32_t { None = 0, Standard = 1, Extended = 2 };

    void StandardField(std::int32_t v);
    void ExtendedField(std::int32_t v);

    Kind kind = Kind::None;
};

} // namespace t8
