#pragma once

#include "sim/records/FormatCodec.h"

namespace t8::sim {

// Raw bytes. Written in blocks of bytesPerRecord so that a block can be spoilt on purpose.
class BinaryCodec : public FormatCodec {
public:
    [[nodiscard]] Format Kind() const override { return Format::Binary; }
    [[nodiscard]] std::vector<std::string> Write(std::span<const std::uint8_t> data,
                                                 std::uint32_t start,
                                                 std::size_t bytesPerRecord) const override;
    void Corrupt(std::string& record) const override;

    void Reset(std::uint32_t loadAddress) override;
    [[nodiscard]] ParseStep Feed(std::uint8_t byte_) override;
    [[nodiscard]] ParseStep Finish() override { return {ParseStep::Kind::End, 0, {}, {}}; }
    [[nodiscard]] std::size_t RecordsRead() const override { return bytesRead; }

private:
    std::uint32_t address = 0;
    std::uint8_t byte = 0;
    std::size_t bytesRead = 0;
};

} // namespace t8::sim
