#pragma once

#include "sim/records/RecordCodec.h"

namespace t8::sim {

// Tektronix HEX. Reads both the standard ('/') and the extended ('%') form; writes the one
// chosen at construction. Standard records carry 16-bit addresses only.
class TekCodec : public RecordCodec {
public:
    explicit TekCodec(bool writeExtended_) : RecordCodec("/%"), writeExtended(writeExtended_) {}

    [[nodiscard]] Format Kind() const override {
        return writeExtended ? Format::TekExtended : Format::Tek;
    }
    [[nodiscard]] std::vector<std::string> Write(std::span<const std::uint8_t> data_,
                                                 std::uint32_t start,
                                                 std::size_t bytesPerRecord) const override;
    void Corrupt(std::string& record_) const override;

protected:
    [[nodiscard]] std::size_t ExpectedLength(std::string_view partial) const override;
    [[nodiscard]] ParseStep Decode(std::string_view record_) override;

private:
    [[nodiscard]] ParseStep DecodeStandard(std::string_view record_);
    [[nodiscard]] ParseStep DecodeExtended(std::string_view record_);
    [[nodiscard]] ParseStep ChecksumError(std::string_view which, unsigned read,
                                          unsigned expected) const;

    bool writeExtended;
};

} // namespace t8::sim
