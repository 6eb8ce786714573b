#pragma once

#include "sim/records/RecordCodec.h"

namespace t8::sim {

// Motorola S-records (either case): S0 header, S1/S2/S3 data, S5/S6 counts, S7/S8/S9 end.
class MotorolaCodec : public RecordCodec {
public:
    MotorolaCodec() : RecordCodec("Ss") {}

    [[nodiscard]] Format Kind() const override { return Format::Motorola; }
    // S1 records when the range ends below 64 KiB, S2 otherwise.
    [[nodiscard]] std::vector<std::string> Write(std::span<const std::uint8_t> data_,
                                                 std::uint32_t start,
                                                 std::size_t bytesPerRecord) const override;
    void Corrupt(std::string& record_) const override;

protected:
    [[nodiscard]] std::size_t ExpectedLength(std::string_view partial) const override;
    [[nodiscard]] ParseStep Decode(std::string_view record_) override;
};

} // namespace t8::sim
