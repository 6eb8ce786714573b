#include "tools/t8batch/RunReport.h"

#include "tools/JsonString.h"

#include <array>

namespace t8 {

namespace {

struct ResultEntry {
    RunResult result;
    int exitCode;
    const char* name;
};

constexpr std::array<ResultEntry, 7> kResults{{
    {RunResult::Ok, 0, "ok"},
    {RunResult::DeviceFailure, 1, "device-failure"},
    {RunResult::Timeout, 2, "timeout"},
    {RunResult::PortError, 3, "port-error"},
    {RunResult::FileError, 4, "file-error"},
    {RunResult::Aborted, 5, "aborted"},
    {RunResult::ScriptError, 65, "script-error"},
}};

const ResultEntry& Entry(RunResult result) {
    for (const ResultEntry& entry : kResults) {
        if (entry.result == result) {
            return entry;
        }
    }
    return kResults.front();
}

} // namespace

int ExitCode(RunResult result) {
    return Entry(result).exitCode;
}

const char* ResultName(RunResult result) {
    return Entry(result).name;
}

std::string RunReport::Json() const {
    std::string json =
        "{\"file\":" + JsonString(file) + ",\"result\":" + JsonString(ResultName(result)) +
        ",\"exitCode\":" + std::to_string(ExitCode(result)) +
        ",\"message\":" + JsonString(message) + ",\"lines\":" + std::to_string(lines) +
        ",\"elapsedMs\":" + std::to_string(elapsedMs) + ",\"sent\":[";
    for (std::size_t i = 0; i < sent.size(); ++i) {
        json += (i > 0 ? ",{\"file\":" : "{\"file\":") + JsonString(sent[i].file) +
                ",\"bytes\":" + std::to_string(sent[i].bytes) + "}";
    }
    json += "],\"received\":[";
    for (std::size_t i = 0; i < received.size(); ++i) {
        json += (i > 0 ? ",{\"file\":" : "{\"file\":") + JsonString(received[i].file) +
                ",\"bytes\":" + std::to_string(received[i].bytes) +
                ",\"check\":" + JsonString(received[i].check) + "}";
    }
    return json + "]}";
}

} // namespace t8
