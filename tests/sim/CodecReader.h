#pragma once

#include "sim/records/FormatCodec.h"

#include <map>
#include <string>
#include <string_view>

namespace t8::sim::test {

// Everything a reader made of a text: the bytes by address, and how it ended.
struct ReadResult {
    std::map<std::uint32_t, std::uint8_t> bytes;
    bool ended = false;
    std::string error; // the first error
};

inline void Collect(const ParseStep& step, ReadResult& result) {
    if (step.kind == ParseStep::Kind::Data) {
        for (std::size_t i = 0; i < step.bytes.size(); ++i) {
            result.bytes[step.address + static_cast<std::uint32_t>(i)] = step.bytes[i];
        }
    } else if (step.kind == ParseStep::Kind::End) {
        result.ended = true;
    } else if (step.kind == ParseStep::Kind::Error && result.error.empty()) {
        result.error = step.error;
    }
}

// Feeds the text; formats without an end record are finished as a quiet gap would.
inline ReadResult ReadAll(FormatCodec& codec, std::string_view text, std::uint32_t load = 0) {
    ReadResult result;
    codec.Reset(load);
    for (const char c : text) {
        Collect(codec.Feed(static_cast<std::uint8_t>(c)), result);
        if (result.ended) {
            return result;
        }
    }
    Collect(codec.Finish(), result);
    return result;
}

} // namespace t8::sim::test
