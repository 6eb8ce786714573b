#pragma once

#include "formats/TransferFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace t8 {

class UploadProgress;

// What a receive stores: the received blocks without the device's leading line break, up to
// the prompt ">" (text formats) or the typed range (binary), bounded in size.
class ReceiveStream {
public:
    // Generous for any device memory, yet a runaway stream cannot eat the machine's memory.
    static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;
    static constexpr std::uint8_t kPromptChar = '>';

    struct Range {
        TransferFormat format = TransferFormat::FormatBinary;
        std::int32_t start = 0;
        std::int32_t end = 0;
    };

    // Empties the buffer for the next receive.
    void Arm();
    // The format and range read from the prompt at Enter.
    void SetRange(const Range& range_) { range = range_; }
    // One received block; shows the count, the format and the check on `dialog` when there is
    // one. True when this block ended the receive.
    bool Feed(const std::uint8_t* bytes, std::size_t count, UploadProgress* dialog);

    [[nodiscard]] const std::vector<std::uint8_t>& Data() const { return buffer; }
    [[nodiscard]] std::size_t ReceivedCount() const { return buffer.size(); }
    // True when data beyond kMaxBytes arrived and were not stored.
    [[nodiscard]] bool Cut() const { return cut; }
    [[nodiscard]] bool Ended() const { return ended; }
    // Binary data without a typed end have no end of their own: only silence ends them.
    [[nodiscard]] bool EndsBySilence() const;

private:
    enum class Lead { Scanning, AfterCr, Data };

    [[nodiscard]] std::size_t SkipLeadingBreaks(const std::uint8_t* bytes, std::size_t count);
    [[nodiscard]] std::size_t DataEnd(const std::uint8_t* bytes, std::size_t count) const;
    void Store(const std::uint8_t* bytes, std::size_t count);
    void Report(const std::uint8_t* bytes, std::size_t count, UploadProgress& dialog) const;
    [[nodiscard]] std::uint64_t BinaryLength() const;

    Range range;
    std::vector<std::uint8_t> buffer;
    Lead lead = Lead::Scanning;
    bool cut = false;
    bool ended = false;
};

} // namespace t8
