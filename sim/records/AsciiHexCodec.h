#pragma once

#include "sim/records/FormatCodec.h"

namespace t8::sim {

// ASCII hex: two-digit bytes separated by blanks, a line per record, no addresses.
class AsciiHexCodec : public FormatCodec {
public:
    [[nodiscard]] Format Kind() const override { return Format::Ascii; }
    [[nodiscard]] std::vector<std::string> Write(std::span<const std::uint8_t> data,
                                                 std::uint32_t start,
                                                 std::size_t bytesPerRecord) const override;
    void Corrupt(std::string& record) const override;

    void Reset(std::uint32_t loadAddress) override;
    [[nodiscard]] ParseStep Feed(std::uint8_t byte_) override;
    [[nodiscard]] ParseStep Finish() override;
    [[nodiscard]] std::size_t RecordsRead() const override { return bytesRead; }

private:
    std::uint32_t address = 0;
    int highNibble = -1; // first digit of a pair, -1 between pairs
    std::uint8_t byte = 0;
    std::size_t bytesRead = 0;
};

} // namespace t8::sim
