#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace t8 {

// What a KEY line does without a window.
enum class KeyMode { Continue, Fail, Wait };

// t8batch's command line.
struct BatchOptions {
    static constexpr int kDefaultTimeoutSeconds = 60;
    // A day: longer waits are meant as "for ever", which 0 says.
    static constexpr int kMaxTimeoutSeconds = 86400;
    static constexpr std::uint32_t kMinBaud = 50;
    static constexpr std::uint32_t kMaxBaud = 4000000;
    // The batch's own pace, the dialog's by default; quicker for devices that take keys faster.
    static constexpr int kDefaultStepMs = 100;
    static constexpr int kMinStepMs = 1;
    static constexpr int kMaxStepMs = 1000;

    std::string port;                            // device path; empty: the stored settings
    std::vector<std::string> ports;              // every --port in order: more than one, a gang
    std::optional<std::uint32_t> baud;           // overrides the stored rate for this run
    int timeoutSeconds = kDefaultTimeoutSeconds; // 0 waits for ever
    int deadlineSeconds = 0;                     // the whole run's bound; 0: none
    int stepMs = kDefaultStepMs; // between typed keys and between looks for the prompt
    std::vector<std::string> failOn;
    std::optional<KeyMode> key; // unset: continue unless standard input is a terminal
    std::string logPath;
    std::string recordPath; // JSON Lines, one line appended per run
    std::string junitPath;
    std::string serialPath; // the serial-number file; empty: no number is written
    bool json = false;
    bool check = false;
    std::string checkPort; // --check-port: the device the port doctor looks at; no run
    std::string file;
    bool help = false;
    bool version = false;
    std::string error; // a usage error, for standard error
};

[[nodiscard]] BatchOptions ParseBatchOptions(const std::vector<std::string>& args);
[[nodiscard]] std::string BatchUsage();
// --json among the options (before "--"), even one the parser refused: a usage error still
// gets its JSON line.
[[nodiscard]] bool AsksForJson(const std::vector<std::string>& args);

} // namespace t8
