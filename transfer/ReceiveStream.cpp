#include "transfer/ReceiveStream.h"

#include "formats/FormatInfo.h"
#include "transfer/PromptParser.h"
#include "transfer/UploadProgress.h"

#include <algorithm>
#include <cstring>

namespace t8 {
namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

} // namespace

void ReceiveStream::Arm() {
    buffer.clear();
    lead = Lead::Scanning;
    cut = false;
    ended = false;
}

bool ReceiveStream::Feed(const std::uint8_t* bytes, std::size_t count, UploadProgress* dialog) {
    if (ended) {
        return false;
    }
    const std::size_t skipped = lead == Lead::Data ? 0 : SkipLeadingBreaks(bytes, count);
    if (lead != Lead::Data) {
        return false; // nothing but line breaks so far
    }
    const std::uint8_t* data = bytes + skipped;
    const std::size_t end = DataEnd(data, count - skipped);
    const bool binary = range.format == TransferFormat::FormatBinary;
    const bool prompt = !binary && end < count - skipped;
    Store(data, end);
    if (dialog != nullptr) {
        Report(data, end, *dialog);
    }
    ended = binary ? buffer.size() >= BinaryLength() : prompt;
    if (ended && dialog != nullptr) {
        dialog->Finish();
    }
    return ended;
}

// A CR LF pair ends the skip with the data right behind it; a lone CR or LF is passed over.
// The state carries across blocks, so where the line break is split does not matter.
std::size_t ReceiveStream::SkipLeadingBreaks(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t c = bytes[i];
        if (lead == Lead::AfterCr && c == kLf) {
            lead = Lead::Data;
            return i + 1;
        }
        if (c == kCr || c == kLf) {
            lead = c == kCr ? Lead::AfterCr : Lead::Scanning;
            continue;
        }
        lead = Lead::Data;
        return i;
    }
    return count;
}

// Text data end before the prompt; binary data at the typed range, whose end address is
// included: what follows in the block is the device's own text.
std::size_t ReceiveStream::DataEnd(const std::uint8_t* bytes, std::size_t count) const {
    if (range.format != TransferFormat::FormatBinary) {
        const void* prompt = std::memchr(bytes, kPromptChar, count);
        return prompt == nullptr ? count : static_cast<const std::uint8_t*>(prompt) - bytes;
    }
    const std::uint64_t wanted =
        BinaryLength() - std::min<std::uint64_t>(BinaryLength(), buffer.size());
    return static_cast<std::size_t>(std::min<std::uint64_t>(count, wanted));
}

bool ReceiveStream::EndsBySilence() const {
    return range.format == TransferFormat::FormatBinary && range.end == kOpenRangeEnd;
}

std::uint64_t ReceiveStream::BinaryLength() const {
    const std::int64_t length = std::int64_t{range.end} - range.start + 1;
    return length > 0 ? static_cast<std::uint64_t>(length) : 0;
}

void ReceiveStream::Store(const std::uint8_t* bytes, std::size_t count) {
    const std::size_t room = kMaxBytes - std::min(kMaxBytes, buffer.size());
    const std::size_t taken = std::min(room, count);
    cut = cut || taken < count;
    buffer.insert(buffer.end(), bytes, bytes + taken);
}

void ReceiveStream::Report(const std::uint8_t* bytes, std::size_t count,
                           UploadProgress& dialog) const {
    dialog.SetBytes(static_cast<long>(buffer.size()));
    const FormatInfo* info = FindFormat(range.format);
    if (info == nullptr) {
        return;
    }
    dialog.SetFormat(std::string(info->receiveText));
    dialog.Check(*info, bytes, count);
}

} // namespace t8
