#pragma once

#include "sim/records/RecordCodec.h"

namespace t8::sim {

// Tektronix HEX. Reads both the standard ('/') and the extended ('%') form; writes the one
// chosen at construction. Standard records carry 16-bit addresses only.
class TekCodec : public RecordCodec {
public:
    explicit TekCodec(bool writeExtended) : RecordCodec("/%"), writeExtended_(writeExtended) {}

    [[nodiscard]] Format Kind() const override {
        return writeExtended_ ? Format::TekExtended : Format::Tek;
    }
    [[nodiscard]] std::vector<std::string> Write(std::span<const std::uint8_t> data,
                                                 std::uint32_t start,
                                                 std::size_t bytesPerRecord) const override;
    void Corrupt(std::string& record) const override;

protected:
    [[nodiscard]] std::size_t ExpectedLength(std::string_view partial) const override;
    [[nodiscard]] ParseStep Decode(std::string_view record) override;

private:
    [[nodiscard]] ParseStep DecodeStandard(std::string_view record);
    [[nodiscard]] ParseStep DecodeExtended(std::string_view record);
    [[nodiscard]] ParseStep ChecksumError(std::string_view which, unsigned read,
                                          unsigned expected) const;

    bool writeExtended_;
};

} // namespace t8::sim
