#include "sim/records/FormatCodec.h"

#include "sim/records/AsciiHexCodec.h"
#include "sim/records/BinaryCodec.h"
#include "sim/records/IntelCodec.h"
#include "sim/records/MotorolaCodec.h"
#include "sim/records/TekCodec.h"

namespace t8::sim {

std::unique_ptr<FormatCodec> MakeCodec(Format format) {
    switch (format) {
    case Format::Binary:
        return std::make_unique<BinaryCodec>();
    case Format::Ascii:
        return std::make_unique<AsciiHexCodec>();
    case Format::Intel:
        return std::make_unique<IntelCodec>();
    case Format::Motorola:
        return std::make_unique<MotorolaCodec>();
    case Format::Tek:
        return std::make_unique<TekCodec>(false);
    case Format::TekExtended:
        return std::make_unique<TekCodec>(true);
    }
    return std::make_unique<BinaryCodec>();
}

} // namespace t8::sim
