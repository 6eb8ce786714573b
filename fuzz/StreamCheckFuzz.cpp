// libFuzzer target for the format table's stream checks. Besides not crashing, a check must
// give the same verdict however the stream is cut into blocks: the input is judged whole, in
// pieces whose sizes the input's first byte chooses, and byte by byte.

#include "formats/FormatInfo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

std::string_view Judge(t8::StreamCheck& check, const std::uint8_t* data, std::size_t size,
                       std::size_t piece) {
    for (std::size_t start = 0; start < size; start += piece) {
        check.Check(data + start, std::min(piece, size - start));
    }
    check.CheckStreamEnd();
    return check.StatusText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = std::size_t{data[0]} + 1;
    ++data;
    --size;
    for (const t8::FormatInfo& format : t8::Formats()) {
        if (format.makeCheck == nullptr) {
            continue;
        }
        const std::string_view verdict = Judge(*format.makeCheck(), data, size, size + 1);
        if (Judge(*format.makeCheck(), data, size, piece) != verdict ||
            Judge(*format.makeCheck(), data, size, 1) != verdict) {
            std::abort();
        }
        if (verdict != t8::StreamCheck::kNoErrors && verdict != t8::StreamCheck::kCharacterErrors &&
            verdict != t8::StreamCheck::kSumErrors) {
            std::abort();
        }
    }
    return 0;
}
