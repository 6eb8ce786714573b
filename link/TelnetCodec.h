#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace t8 {

// The telnet framing a network port speaks: data bytes with 0xFF doubled, option negotiation
// and sub-negotiations (the COM port commands). No sockets here: bytes in, bytes out.
namespace telnet {
inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPort = 44;
} // namespace telnet

// A negotiation or a sub-negotiation the peer sent.
struct TelnetCommand {
    std::uint8_t verb = 0;             // kWill, kWont, kDo, kDont, or kSb
    std::uint8_t option = 0;           // the option it is about
    std::vector<std::uint8_t> payload; // a sub-negotiation's bytes after the option, unescaped
};

// Splits what the peer sends into data and commands. A command or an escape cut by the end of
// one block is completed by the next.
class TelnetDecoder {
public:
    // A sub-negotiation longer than this is kept only to this length (none of ours is near it).
    static constexpr std::size_t kMaxPayload = 64;

    void Feed(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
              std::vector<TelnetCommand>& commands);

private:
    enum class State { Data, Iac, Option, Sub, SubIac };

    State state = State::Data;
    TelnetCommand pending;
};

// Appends `count` data bytes to `out`, each 0xFF doubled.
void AppendEscaped(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t count);
// Appends IAC verb option.
void AppendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option);
// Appends IAC SB option payload IAC SE, the payload escaped.
void AppendSubNegotiation(std::vector<std::uint8_t>& out, std::uint8_t option,
                          const std::vector<std::uint8_t>& payload);

} // namespace t8
