#include "formats/FormatInfo.h"

#include "formats/AsciiHexReader.h"
#include "formats/BinaryReader.h"
#include "formats/IntelHexReader.h"
#include "formats/MotorolaReader.h"
#include "formats/TekHexReader.h"
#include "formats/checks/AsciiStreamCheck.h"
#include "formats/checks/IntelStreamCheck.h"
#include "formats/checks/MotorolaStreamCheck.h"
#include "formats/checks/TekStreamCheck.h"

#include <algorithm>
#include <array>

namespace t8 {

namespace {

template <typename Reader>
std::unique_ptr<ReaderBase> Make(MemoryImage& image, ByteSource& source,
                                 const ProgressFn& progress) {
    return std::make_unique<Reader>(image, source, progress);
}

using enum TransferFormat;

// clang-format off
constexpr std::array<FormatInfo, 5> kFormats{{
    {FormatTek, "TEK", 0, "File recognized as TEKTRONIX HEX file.", "Receive TEKTRONIX format.",
     &Make<TekHexReader>, &TekStreamCheck::Make, false, &WriteTekHex},
    {FormatMotorola, "MOTOROLA", 1, "File recognized as MOTOROLA S file.",
     "Receive MOTOROLA format.", &Make<MotorolaReader>, &MotorolaStreamCheck::Make, false,
     &WriteMotorola},
    {FormatIntel, "INTEL", 3, "File recognized as Intel HEX file.", "Receive INTELHEX format.",
     &Make<IntelHexReader>, &IntelStreamCheck::Make, false, &WriteIntelHex},
    {FormatAscii, "ASCII", 4, "File recognized as ASCII HEX file.", "Receive ASCII format.",
     &Make<AsciiHexReader>, &AsciiStreamCheck::Make, true, &WriteAsciiHex},
    {FormatBinary, "BINARY", 2, "File recognized as BINARY file.", "Receive BINARY format.",
     &Make<BinaryReader>, nullptr, true, &WriteBinary},
}};
// clang-format on

constexpr bool SlotsHoldEveryCode() {
    return std::all_of(kFormats.begin(), kFormats.end(), [](const FormatInfo& row) {
        return static_cast<int>(row.format) > 0 &&
               static_cast<std::size_t>(row.format) < kFormatSlots;
    });
}
static_assert(SlotsHoldEveryCode(), "kFormatSlots must grow with the format codes");

} // namespace

std::span<const FormatInfo> Formats() {
    return kFormats;
}

const FormatInfo* FindFormat(TransferFormat format) {
    const auto found =
        std::find_if(kFormats.begin(), kFormats.end(),
                     [format](const FormatInfo& row) { return row.format == format; });
    return found == kFormats.end() ? nullptr : &*found;
}

} // namespace t8
