#include "tools/t8batch/GangSummary.h"

#include "tools/JsonString.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace t8 {

namespace {

// Long messages are not cut, but do not widen every row of the table either.
constexpr std::size_t kWidestMessage = 60;

const GangEntry* FirstFailed(const std::vector<GangEntry>& entries) {
    const auto failed = std::find_if(entries.begin(), entries.end(), [](const GangEntry& entry) {
        return entry.report.result != RunResult::Ok;
    });
    return failed == entries.end() ? nullptr : &*failed;
}

std::string ElapsedText(std::uint64_t ms) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f s", static_cast<double>(ms) / 1000.0);
    return text.data();
}

std::string Padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + "  " : text + std::string(width - text.size() + 2, ' ');
}

} // namespace

int GangExitStatus(const std::vector<GangEntry>& entries) {
    const GangEntry* failed = FirstFailed(entries);
    return failed == nullptr ? 0 : ExitCode(failed->report.result);
}

std::string GangVerdict(const std::vector<GangEntry>& entries) {
    const auto passed = std::count_if(entries.begin(), entries.end(), [](const GangEntry& entry) {
        return entry.report.result == RunResult::Ok;
    });
    std::string verdict =
        std::to_string(passed) + " of " + std::to_string(entries.size()) + " ports passed";
    if (const GangEntry* failed = FirstFailed(entries)) {
        verdict +=
            "; the first to fail: " + failed->name + " (" + ResultName(failed->report.result) + ")";
    }
    return verdict;
}

std::string FinishedLine(const GangEntry& entry) {
    const RunReport& report = entry.report;
    return entry.name + ": " + ResultName(report.result) + " (exit " +
           std::to_string(ExitCode(report.result)) + ") in " + ElapsedText(report.elapsedMs) +
           ": " + report.message;
}

std::string GangTable(const std::vector<GangEntry>& entries) {
    using Row = std::array<std::string, 5>;
    std::vector<Row> rows{{"port", "result", "exit", "message", "elapsed"}};
    for (const GangEntry& entry : entries) {
        rows.push_back({entry.port, ResultName(entry.report.result),
                        std::to_string(ExitCode(entry.report.result)), entry.report.message,
                        ElapsedText(entry.report.elapsedMs)});
    }
    std::array<std::size_t, 5> widths{};
    for (const Row& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    widths[3] = std::min(widths[3], kWidestMessage);
    std::string table;
    for (const Row& row : rows) {
        for (std::size_t column = 0; column + 1 < row.size(); ++column) {
            table += Padded(row[column], widths[column]);
        }
        table += row.back() + "\n";
    }
    return table;
}

std::string GangJson(const std::vector<GangEntry>& entries, const std::string& failure) {
    const GangEntry* failed = FirstFailed(entries);
    const RunResult result = failed != nullptr ? failed->report.result
                             : failure.empty() ? RunResult::Ok
                                               : RunResult::FileError;
    const std::string message = GangVerdict(entries) + (failure.empty() ? "" : "; " + failure);
    std::string json = "{\"result\":" + JsonString(ResultName(result)) +
                       ",\"exitCode\":" + std::to_string(ExitCode(result)) + "," +
                       JsonField("message", message) + ",\"ports\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const GangEntry& entry = entries[i];
        json += (i == 0 ? "{" : ",{") + JsonField("port", entry.port) + "," +
                JsonField("name", entry.name) + "," + entry.report.Json().substr(1);
    }
    return json + "]}";
}

} // namespace t8
