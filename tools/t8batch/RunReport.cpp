#include "tools/t8batch/RunReport.h"

#include <array>
#include <cstdio>

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

// Length of the UTF-8 sequence at `i`, 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0                 ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

int ExitCode(RunResult result) {
    return Entry(result).exitCode;
}

const char* ResultName(RunResult result) {
    return Entry(result).name;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
            out += escaped;
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else if (const std::size_t length = Utf8Length(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length - 1;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6)); // the Latin-1 character in UTF-8
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out + "\"";
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
