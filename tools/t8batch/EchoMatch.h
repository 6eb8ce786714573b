#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace t8 {

// Whether the device's echo of the keys typed at an address prompt is in. The device echoes
// each key as it takes it and answers a key before it takes the next, so its text since the
// first key holds the keys in order, the answers between them; the echo is in once every key
// was found in that order and nothing came after the last one. Text after it, until a further
// key, leaves the echo unconfirmed (the answer held the keys' characters, or the device says
// more), as do keys beyond kMaxKeys or text that never echoes them: the caller falls back on
// quiet.
class EchoMatch {
public:
    static constexpr std::size_t kMaxKeys = 64;

    // A key typed at the prompt (Enter excepted).
    void Typed(std::uint8_t key);
    // The device's text, as it reached the screen.
    void Shown(const std::uint8_t* bytes, std::size_t count);
    // Forgets the keys: the prompt was confirmed, or keys go elsewhere now.
    void Reset();

    [[nodiscard]] bool EchoIn() const;

private:
    std::string keys;
    std::size_t matched = 0;
    bool overflow = false;
    bool textAfterEcho = false;
};

} // namespace t8
