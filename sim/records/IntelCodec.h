#pragma once

#include "sim/records/RecordCodec.h"

namespace t8::sim {

// Intel HEX: data records, extended segment and linear addresses, end record 01.
class IntelCodec : public RecordCodec {
public:
    IntelCodec() : RecordCodec(":") {}

    [[nodiscard]] Format Kind() const override { return Format::Intel; }
    [[nodiscard]] std::vector<std::string> Write(std::span<const std::uint8_t> data_,
                                                 std::uint32_t start,
                                                 std::size_t bytesPerRecord) const override;
    void Corrupt(std::string& record_) const override;

protected:
    [[nodiscard]] std::size_t ExpectedLength(std::string_view partial) const override;
    [[nodiscard]] ParseStep Decode(std::string_view record_) override;
    void ResetFields() override { upperAddress = 0; }

private:
    std::uint32_t upperAddress = 0;
};

} // namespace t8::sim
