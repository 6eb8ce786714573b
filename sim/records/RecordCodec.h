#pragma once

#include "sim/records/FormatCodec.h"

#include <string_view>

namespace t8::sim {

// Base of the formats whose records start with a mark character and carry their own length:
// frames records from the byte stream, strictly, and leaves the fields to the format.
class RecordCodec : public FormatCodec {
public:
    // Longest record there is, mark included: 255 data bytes of Intel or standard Tektronix.
    // Every format's count field bounds its record below this, so framing never grows past it.
    static constexpr std::size_t kMaxRecordChars = 521;

    void Reset(std::uint32_t loadAddress) override;
    [[nodiscard]] ParseStep Feed(std::uint8_t byte) override;
    [[nodiscard]] ParseStep Finish() override;
    [[nodiscard]] std::size_t RecordsRead() const override { return recordsRead; }

protected:
    explicit RecordCodec(std::string_view marks_) : marks(marks_) {}

    // Characters the record being framed needs in all, mark included; 0 while still unknown.
    [[nodiscard]] virtual std::size_t ExpectedLength(std::string_view partial) const = 0;
    // Reads one complete record (mark included, all other characters hex digits).
    [[nodiscard]] virtual ParseStep Decode(std::string_view record_) = 0;
    // Forgets what earlier records set (such as an upper address).
    virtual void ResetFields() {}

    [[nodiscard]] ParseStep Data(std::uint32_t address);
    [[nodiscard]] static ParseStep End();
    [[nodiscard]] ParseStep Fail(std::string_view what) const;
    [[nodiscard]] std::size_t RecordNumber() const { return recordNumber; }

    std::vector<std::uint8_t> data; // bytes of the record just decoded

private:
    [[nodiscard]] ParseStep Between(std::uint8_t byte);

    std::string_view marks;
    std::string record;
    bool inRecord = false;
    std::size_t recordNumber = 0;
    std::size_t recordsRead = 0;
};

} // namespace t8::sim
