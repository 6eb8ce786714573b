// libFuzzer target for the receive's four stream checks. Besides not crashing, a check must
// give the same verdict however the stream is cut into blocks: the input is judged whole, in
// pieces whose sizes the input's first byte chooses, and byte by byte.

#include "transfer/checks/StreamChecker.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using Check = void (t8::StreamChecker::*)(const std::uint8_t*, std::size_t);
constexpr Check kChecks[] = {
    &t8::StreamChecker::CheckIntelStream,
    &t8::StreamChecker::CheckMotorolaStream,
    &t8::StreamChecker::CheckTekStream,
    &t8::StreamChecker::CheckAsciiStream,
};

std::string_view Judge(t8::StreamChecker& checker, Check check, const std::uint8_t* data,
                       std::size_t size, std::size_t piece) {
    for (std::size_t start = 0; start < size; start += piece) {
        (checker.*check)(data + start, std::min(piece, size - start));
    }
    checker.CheckStreamEnd();
    return checker.StatusText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = std::size_t{data[0]} + 1;
    ++data;
    --size;
    for (const Check check : kChecks) {
        t8::StreamChecker whole;
        t8::StreamChecker pieces;
        t8::StreamChecker single;
        const std::string_view verdict = Judge(whole, check, data, size, size + 1);
        if (Judge(pieces, check, data, size, piece) != verdict ||
            Judge(single, check, data, size, 1) != verdict) {
            std::abort();
        }
        if (verdict != t8::StreamChecker::kNoErrors &&
            verdict != t8::StreamChecker::kCharacterErrors &&
            verdict != t8::StreamChecker::kSumErrors) {
            std::abort();
        }
    }
    return 0;
}
