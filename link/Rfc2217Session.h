#pragma once

#include "link/LineSettings.h"
#include "link/TelnetCodec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace t8 {

// The client's side of the COM port control protocol over telnet, without sockets: what to
// send to set up the line, and what the server's bytes mean (data, answers, the device's modem
// lines, a request to hold our output). Not thread-safe; the port serialises calls.
class Rfc2217Session {
public:
    // COM port commands; the server answers each with the command plus kServerOffset.
    static constexpr std::uint8_t kSetBaudRate = 1;
    static constexpr std::uint8_t kSetDataSize = 2;
    static constexpr std::uint8_t kSetParity = 3;
    static constexpr std::uint8_t kSetStopSize = 4;
    static constexpr std::uint8_t kSetControl = 5;
    static constexpr std::uint8_t kNotifyModemState = 7;
    static constexpr std::uint8_t kFlowControlSuspend = 8;
    static constexpr std::uint8_t kFlowControlResume = 9;
    static constexpr std::uint8_t kSetModemStateMask = 11;
    static constexpr std::uint8_t kPurgeData = 12;
    static constexpr std::uint8_t kServerOffset = 100;

    // SET-CONTROL values.
    static constexpr std::uint8_t kControlNoFlow = 1;
    static constexpr std::uint8_t kControlXonXoff = 2;
    static constexpr std::uint8_t kControlHardware = 3;
    static constexpr std::uint8_t kControlDtrOn = 8;
    static constexpr std::uint8_t kControlDtrOff = 9;
    static constexpr std::uint8_t kControlRtsOn = 11;
    static constexpr std::uint8_t kControlRtsOff = 12;
    static constexpr std::uint8_t kControlDsrFlow = 19;

    // PURGE-DATA values: the server's buffers toward us, toward the device, or both.
    static constexpr std::uint8_t kPurgeReceive = 1;
    static constexpr std::uint8_t kPurgeTransmit = 2;
    static constexpr std::uint8_t kPurgeBoth = 3;

    // Our offers at connect: binary both ways, no go-ahead, and the COM port option.
    void AppendGreeting(std::vector<std::uint8_t>& out);
    // Rate, frame and flow control, each as its own command.
    void AppendSettings(std::vector<std::uint8_t>& out, const LineSettings& settings) const;
    void AppendCommand(std::vector<std::uint8_t>& out, std::uint8_t command,
                       const std::vector<std::uint8_t>& payload) const;
    void AppendData(std::vector<std::uint8_t>& out, const std::uint8_t* bytes,
                    std::size_t count) const {
        AppendEscaped(out, bytes, count);
    }

    // The server's bytes: its data to `data`, our answers to its negotiation to `reply`.
    void Receive(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
                 std::vector<std::uint8_t>& reply);

    // Answers to SET-BAUDRATE so far: a rate change is in force once this has grown.
    [[nodiscard]] unsigned RateAnswers() const { return rateAnswers; }
    [[nodiscard]] std::uint32_t AnsweredRate() const { return answeredRate; }
    // The modem lines the server last told of, in the connection check's bits; -1: not yet.
    [[nodiscard]] int ModemState() const { return modemState; }
    // The server asked us to hold our output (its buffer toward the device is full).
    [[nodiscard]] bool HeldByServer() const { return heldByServer; }
    // The server refused the COM port option: it carries bytes only.
    [[nodiscard]] bool ComPortRefused() const { return comPortRefused; }

private:
    // Telnet option state: what we do and what we asked the peer to do.
    struct OptionState {
        bool we = false;   // we sent WILL
        bool they = false; // we sent DO
    };
    void Negotiate(const TelnetCommand& command, std::vector<std::uint8_t>& reply);
    void ServerAnswer(const std::vector<std::uint8_t>& payload);
    [[nodiscard]] static bool Wanted(std::uint8_t option);
    OptionState& State(std::uint8_t option);

    TelnetDecoder decoder;
    OptionState binary;
    OptionState goAhead;
    OptionState comPort;
    OptionState other;
    unsigned rateAnswers = 0;
    std::uint32_t answeredRate = 0;
    int modemState = -1;
    bool heldByServer = false;
    bool comPortRefused = false;
};

} // namespace t8
