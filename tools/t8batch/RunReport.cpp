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

constexpr std::array<ResultEntry, 8> kResults{{
    {RunResult::Ok, 0, "ok"},
    {RunResult::DeviceFailure, 1, "device-failure"},
    {RunResult::Timeout, 2, "timeout"},
    {RunResult::PortError, 3, "port-error"},
    {RunResult::FileError, 4, "file-error"},
    {RunResult::Aborted, 5, "aborted"},
    {RunResult::UsageError, kUsageExit, "usage-error"},
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

const char* Bool(bool value) {
    return value ? "true" : "false";
}

std::string Sent(const std::vector<SentFile>& files, bool hashes) {
    std::string json = "[";
    for (const SentFile& sent : files) {
        json += (json.size() > 1 ? ",{" : "{") + JsonField("file", sent.file) +
                ",\"bytes\":" + std::to_string(sent.bytes) +
                ",\"completed\":" + Bool(sent.completed) +
                (hashes ? "," + JsonField("sha256", sent.sha256) : "") + "}";
    }
    return json + "]";
}

std::string Received(const std::vector<ReceivedFile>& files, bool hashes) {
    std::string json = "[";
    for (const ReceivedFile& received : files) {
        json += (json.size() > 1 ? ",{" : "{") + JsonField("file", received.file) +
                ",\"bytes\":" + std::to_string(received.bytes) + "," +
                JsonField("check", received.check) + ",\"partial\":" + Bool(received.partial) +
                ",\"saved\":" + Bool(received.saved);
        if (received.partial) {
            json += "," + JsonField("target", received.target);
        }
        if (hashes) {
            json += "," + JsonField("sha256", received.sha256);
        }
        json += "}";
    }
    return json + "]";
}

std::string Serial(const std::optional<std::uint64_t>& serial) {
    return serial ? ",\"serial\":" + std::to_string(*serial) : "";
}

} // namespace

int ExitCode(RunResult result) {
    return Entry(result).exitCode;
}

const char* ResultName(RunResult result) {
    return Entry(result).name;
}

std::string RunReport::Json() const {
    return "{" + JsonField("file", file) + ",\"result\":" + JsonString(ResultName(result)) +
           ",\"exitCode\":" + std::to_string(ExitCode(result)) + "," +
           JsonField("message", message) + ",\"lines\":" + std::to_string(lines) +
           ",\"elapsedMs\":" + std::to_string(elapsedMs) + ",\"sent\":" + Sent(sent, false) +
           ",\"received\":" + Received(received, false) + Serial(serial) + "}";
}

std::string RunReport::RecordJson(const std::string& version) const {
    return "{" + JsonField("time", startedUtc) + "," + JsonField("station", station) + "," +
           JsonField("version", version) + "," + JsonField("port", device.port) + ",\"device\":{" +
           JsonField("node", device.node) + "," + JsonField("byId", device.byId) + "," +
           JsonField("usbSerial", device.usbSerial) + "},\"batch\":{" + JsonField("file", file) +
           "," + JsonField("sha256", fileSha256) + "},\"sent\":" + Sent(sent, true) +
           ",\"received\":" + Received(received, true) + Serial(serial) +
           ",\"result\":" + JsonString(ResultName(result)) +
           ",\"exitCode\":" + std::to_string(ExitCode(result)) + "," +
           JsonField("message", message) + ",\"elapsedMs\":" + std::to_string(elapsedMs) + "}";
}

} // namespace t8
