#pragma once

#include "sim/device/DeviceState.h"
#include "sim/records/HexDigits.h"

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace t8::sim {

// Key bytes of the device's keypad as the host sends them.
inline constexpr std::uint8_t kKeyUp = 'X';
inline constexpr std::uint8_t kKeyDown = 'Y';
inline constexpr std::uint8_t kKeyLeft = 0x08;
inline constexpr std::uint8_t kKeyRight = ' ';
inline constexpr std::uint8_t kKeyEsc = 0x1B;
inline constexpr std::uint8_t kKeyEnter = 0x0D;
inline constexpr std::uint8_t kKeyDelete = 0x7F; // what a terminal's backspace key sends

[[nodiscard]] inline bool IsBackKey(std::uint8_t key) {
    return key == kKeyLeft || key == kKeyDelete;
}

// Addresses are typed as five hex digits.
inline constexpr std::size_t kAddressDigits = 5;

// One command's conversation with the operator, from its first question to the prompt.
class Dialogue {
public:
    explicit Dialogue(DialogueContext& context_) : context(context_) {}
    Dialogue(const Dialogue&) = delete;
    Dialogue& operator=(const Dialogue&) = delete;
    virtual ~Dialogue() = default;

    virtual void Begin() = 0;
    virtual void Key(std::uint8_t key) = 0;
    virtual void Tick() {}
    // When Tick() next has work to do; none while the dialogue only waits for keys.
    [[nodiscard]] virtual std::optional<std::uint64_t> DueMs() const { return std::nullopt; }

    [[nodiscard]] bool Done() const { return done; }
    // True while every byte is data (line ends included) that the device takes in at its pace.
    [[nodiscard]] virtual bool Receiving() const { return false; }

protected:
    void Say(std::string_view text) const { context.say(text); }
    void Close() { done = true; }
    // Says the last line of the dialogue and closes it.
    void CloseWith(std::string_view line) {
        Say("\r\n");
        Say(line);
        Close();
    }
    // Takes a typed address digit or a back key into `typed`, echoing it as the device does.
    void TypeAddressKey(std::string& typed, std::uint8_t key) const {
        const char c = static_cast<char>(std::toupper(key));
        if (IsBackKey(key) && !typed.empty()) {
            typed.pop_back();
            Say("\b \b");
        } else if (IsHex(c) && typed.size() < kAddressDigits) {
            typed.push_back(c);
            Say(std::string(1, c));
        }
    }
    [[nodiscard]] DeviceState& State() const { return context.state; }
    [[nodiscard]] std::uint64_t Now() const { return context.nowMs; }

private:
    DialogueContext& context;
    bool done = false;
};

} // namespace t8::sim
