#include "link/LineFrame.h"

namespace t8 {

namespace {

constexpr std::uint8_t kFewestDataBits = 5;
constexpr std::uint8_t kMostDataBits = 8;

} // namespace

std::string FrameProblem(const LineSettings& s) {
    if (s.baudRate == 0) {
        return "Baud Rate: 0 is no rate; choose one of the list or type one.";
    }
    if (s.byteSize < kFewestDataBits || s.byteSize > kMostDataBits) {
        return "Data Bits: a serial line carries 5 to 8 data bits, not " +
               std::to_string(s.byteSize) + ".";
    }
    if (s.parity > kParitySpace) {
        return "Parity: " + std::to_string(s.parity) +
               " is none of NONE, ODD, EVEN, MARK and SPACE.";
    }
    if (s.stopBits > kStopTwo) {
        return "Stop Bits: " + std::to_string(s.stopBits) +
               " is none of 1 bit, 1 1/2 bit and 2 bits.";
    }
    if (s.stopBits == kStopOneAndHalf && s.byteSize != kFewestDataBits) {
        return "Stop Bits: 1 1/2 stop bits go only with 5 data bits, not with " +
               std::to_string(s.byteSize) + "; choose 1 or 2 stop bits.";
    }
    if (s.stopBits == kStopTwo && s.byteSize == kFewestDataBits) {
        return "Stop Bits: with 5 data bits the line sends 1 1/2 stop bits, not 2; choose "
               "1 1/2 bit or more data bits.";
    }
    return {};
}

} // namespace t8
