#include "link/Rfc2217Session.h"

namespace t8 {

using namespace telnet;

namespace {

std::uint8_t ParityValue(std::uint8_t parity) {
    return static_cast<std::uint8_t>(parity <= kParitySpace ? parity + 1 : 1); // 1 none .. 5 space
}

std::uint8_t StopValue(std::uint8_t stopBits) {
    return stopBits == kStopTwo ? 2 : stopBits == kStopOneAndHalf ? 3 : 1;
}

std::uint8_t FlowValue(std::uint8_t flow) {
    if (flow & kFlowRtsCts) {
        return Rfc2217Session::kControlHardware;
    }
    if (flow & kFlowXonXoff) {
        return Rfc2217Session::kControlXonXoff;
    }
    return Rfc2217Session::kControlNoFlow;
}

} // namespace

void Rfc2217Session::AppendGreeting(std::vector<std::uint8_t>& out) {
    for (std::uint8_t option : {kBinary, kSuppressGoAhead, kComPort}) {
        AppendNegotiation(out, kWill, option);
        State(option).we = true;
    }
    for (std::uint8_t option : {kBinary, kSuppressGoAhead}) {
        AppendNegotiation(out, kDo, option);
        State(option).they = true;
    }
}

void Rfc2217Session::AppendCommand(std::vector<std::uint8_t>& out, std::uint8_t command,
                                   const std::vector<std::uint8_t>& payload) const {
    std::vector<std::uint8_t> body;
    body.reserve(payload.size() + 1);
    body.push_back(command);
    for (const std::uint8_t byte : payload) {
        body.push_back(byte);
    }
    AppendSubNegotiation(out, kComPort, body);
}

void Rfc2217Session::AppendSettings(std::vector<std::uint8_t>& out,
                                    const LineSettings& settings) const {
    const std::uint32_t rate = settings.baudRate;
    AppendCommand(out, kSetBaudRate,
                  {static_cast<std::uint8_t>(rate >> 24), static_cast<std::uint8_t>(rate >> 16),
                   static_cast<std::uint8_t>(rate >> 8), static_cast<std::uint8_t>(rate)});
    AppendCommand(out, kSetDataSize, {settings.byteSize});
    AppendCommand(out, kSetParity, {ParityValue(settings.parity)});
    AppendCommand(out, kSetStopSize, {StopValue(settings.stopBits)});
    AppendCommand(out, kSetControl, {FlowValue(settings.flowCtrl)});
}

void Rfc2217Session::Receive(const std::uint8_t* bytes, std::size_t count,
                             std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& reply) {
    std::vector<TelnetCommand> commands;
    decoder.Feed(bytes, count, data, commands);
    for (const TelnetCommand& command : commands) {
        if (command.verb != kSb) {
            Negotiate(command, reply);
        } else if (command.option == kComPort && !command.payload.empty()) {
            ServerAnswer(command.payload);
        }
    }
}

bool Rfc2217Session::Wanted(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

Rfc2217Session::OptionState& Rfc2217Session::State(std::uint8_t option) {
    switch (option) {
    case kBinary:
        return binary;
    case kSuppressGoAhead:
        return goAhead;
    case kComPort:
        return comPort;
    default:
        other = {};
        return other;
    }
}

// Each side answers a request only when it changes that side's state, so two parties that
// both offer never loop.
void Rfc2217Session::Negotiate(const TelnetCommand& command, std::vector<std::uint8_t>& reply) {
    OptionState& state = State(command.option);
    const bool wanted = Wanted(command.option);
    switch (command.verb) {
    case kDo:
        if (wanted && !state.we) {
            state.we = true;
            AppendNegotiation(reply, kWill, command.option);
        } else if (!wanted) {
            AppendNegotiation(reply, kWont, command.option);
        }
        break;
    case kDont:
        if (command.option == kComPort) {
            comPortRefused = true;
        }
        if (state.we) {
            state.we = false;
            AppendNegotiation(reply, kWont, command.option);
        }
        break;
    case kWill:
        // the COM port option is ours to use; the server's WILL of it needs no DO
        if (wanted && command.option != kComPort && !state.they) {
            state.they = true;
            AppendNegotiation(reply, kDo, command.option);
        } else if (!wanted) {
            AppendNegotiation(reply, kDont, command.option);
        }
        break;
    case kWont:
        if (state.they) {
            state.they = false;
            AppendNegotiation(reply, kDont, command.option);
        }
        break;
    default:
        break;
    }
}

void Rfc2217Session::ServerAnswer(const std::vector<std::uint8_t>& payload) {
    switch (payload[0]) {
    case kSetBaudRate + kServerOffset:
        // a cut-short answer names no rate: it confirms none
        answeredRate = payload.size() < 5
                           ? 0
                           : (std::uint32_t{payload[1]} << 24) | (std::uint32_t{payload[2]} << 16) |
                                 (std::uint32_t{payload[3]} << 8) | payload[4];
        ++rateAnswers;
        break;
    case kNotifyModemState + kServerOffset:
        if (payload.size() >= 2) {
            // the protocol's bits are those the connection check reads: CTS 0x10 .. RLSD 0x80
            modemState = payload[1] & (kModemCts | kModemDsr | kModemRing | kModemRlsd);
        }
        break;
    case kFlowControlSuspend + kServerOffset:
        heldByServer = true;
        break;
    case kFlowControlResume + kServerOffset:
        heldByServer = false;
        break;
    default:
        break;
    }
}

} // namespace t8
