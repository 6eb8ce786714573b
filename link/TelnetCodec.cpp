#include "link/TelnetCodec.h"

namespace t8 {

using namespace telnet;

void TelnetDecoder::Feed(const std::uint8_t* bytes, std::size_t count,
                         std::vector<std::uint8_t>& data, std::vector<TelnetCommand>& commands) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        switch (state) {
        case State::Data:
            if (byte == kIac) {
                state = State::Iac;
            } else {
                data.push_back(byte);
            }
            break;
        case State::Iac:
            if (byte == kIac) {
                data.push_back(kIac);
                state = State::Data;
            } else if (byte == kSb || (byte >= kWill && byte <= kDont)) {
                pending = TelnetCommand{byte, 0, {}};
                state = State::Option;
            } else {
                state = State::Data; // NOP, GA and the like carry nothing for us
            }
            break;
        case State::Option:
            pending.option = byte;
            if (pending.verb == kSb) {
                state = State::Sub;
            } else {
                commands.push_back(pending);
                state = State::Data;
            }
            break;
        case State::Sub:
            if (byte == kIac) {
                state = State::SubIac;
            } else if (pending.payload.size() < kMaxPayload) {
                pending.payload.push_back(byte);
            }
            break;
        case State::SubIac:
            if (byte == kSe) {
                commands.push_back(pending);
                state = State::Data;
            } else {
                // IAC IAC is a payload 0xFF; anything else is a peer's mistake, read as data
                if (byte == kIac && pending.payload.size() < kMaxPayload) {
                    pending.payload.push_back(kIac);
                }
                state = State::Sub;
            }
            break;
        }
    }
}

void AppendEscaped(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == kIac) {
            out.push_back(kIac);
        }
    }
}

void AppendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option) {
    out.insert(out.end(), {kIac, verb, option});
}

void AppendSubNegotiation(std::vector<std::uint8_t>& out, std::uint8_t option,
                          const std::vector<std::uint8_t>& payload) {
    out.insert(out.end(), {kIac, kSb, option});
    AppendEscaped(out, payload.data(), payload.size());
    out.insert(out.end(), {kIac, kSe});
}

} // namespace t8
