#pragma once

#include "sim/records/Format.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace t8::sim {

// What one byte (or the end of input) fed to a reader produced.
struct ParseStep {
    enum class Kind : std::uint8_t { None, Data, End, Error };
    Kind kind = Kind::None;
    std::uint32_t address = 0;
    std::span<const std::uint8_t> bytes; // Data only; valid until the next call on the reader
    std::string error;                   // Error only: what an operator needs to find the fault
};

// A writer and a strict, incremental reader of one transfer format.
class FormatCodec {
public:
    FormatCodec() = default;
    FormatCodec(const FormatCodec&) = delete;
    FormatCodec& operator=(const FormatCodec&) = delete;
    virtual ~FormatCodec() = default;

    [[nodiscard]] virtual Format Kind() const = 0;

    // The records that carry `data` from address `start`, at most `bytesPerRecord` data bytes
    // each, the end record last (text formats); line ends are the caller's.
    [[nodiscard]] virtual std::vector<std::string> Write(std::span<const std::uint8_t> data,
                                                         std::uint32_t start,
                                                         std::size_t bytesPerRecord) const = 0;
    // Spoils one written record so that a reader's check of it fails.
    virtual void Corrupt(std::string& record) const = 0;

    // Starts reading; formats without addresses store from `loadAddress`.
    virtual void Reset(std::uint32_t loadAddress) = 0;
    [[nodiscard]] virtual ParseStep Feed(std::uint8_t byte) = 0;
    // The input has ended without an end record.
    [[nodiscard]] virtual ParseStep Finish() = 0;
    // Complete records (or bytes, for formats without records) read since Reset.
    [[nodiscard]] virtual std::size_t RecordsRead() const = 0;
};

[[nodiscard]] std::unique_ptr<FormatCodec> MakeCodec(Format format);

} // namespace t8::sim
