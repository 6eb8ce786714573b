#include "tools/t8batch/JunitReport.h"

#include "batch/BatchTokens.h"
#include "tools/JsonString.h"

#include <algorithm>
#include <cstdio>

namespace t8 {

namespace {

constexpr std::uint64_t kMsPerSecond = 1000;
constexpr const char* kStepKeywords[] = {"T8", "CMD", "TX", "RX"};

std::string Seconds(std::uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%03llu",
                  static_cast<unsigned long long>(ms / kMsPerSecond),
                  static_cast<unsigned long long>(ms % kMsPerSecond));
    return text;
}

bool IsTestStep(const RunStep& step) {
    const BatchTokens tokens = Tokenize(step.text);
    for (const char* keyword : kStepKeywords) {
        if (tokens.Is(keyword)) {
            return true;
        }
    }
    return false;
}

std::string Property(const char* name, const std::string& value) {
    return std::string("      <property name=\"") + name + "\" value=\"" + XmlText(value) +
           "\"/>\n";
}

std::string Failure(const RunReport& report) {
    return "      <failure type=\"" + std::string(ResultName(report.result)) + "\" message=\"" +
           XmlText(report.message) + "\">" + XmlText(report.message) + "</failure>\n";
}

std::string TestCase(const RunReport& report, const std::string& name, std::uint64_t ms,
                     bool failed) {
    std::string xml = "    <testcase classname=\"" + XmlText(report.file) + "\" name=\"" +
                      XmlText(name) + "\" time=\"" + Seconds(ms) + "\"";
    if (!failed) {
        return xml + "/>\n";
    }
    return xml + ">\n" + Failure(report) + "    </testcase>\n";
}

// XML 1.0 has no U+FFFE and U+FFFF, though UTF-8 does: they become U+FFFD as well.
std::string XmlCharacters(std::string_view text) {
    std::string valid = ValidUtf8(text);
    for (const std::string_view notXml : {"\xEF\xBF\xBE", "\xEF\xBF\xBF"}) {
        for (std::size_t at = valid.find(notXml); at != std::string::npos;
             at = valid.find(notXml, at)) {
            valid.replace(at, notXml.size(), "\xEF\xBF\xBD");
        }
    }
    return valid;
}

} // namespace

std::string XmlText(std::string_view text) {
    std::string out;
    for (const char c : XmlCharacters(text)) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\n':
            out += "&#10;"; // kept inside an attribute, where a plain line end reads as a blank
            break;
        default:
            if (byte < 0x20 && c != '\t' && c != '\r') {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out;
}

namespace {

// One run's testsuite; `tests` and `time` are what it adds to the whole.
std::string Suite(const RunReport& report, const std::string& name, std::size_t& total) {
    const bool failed = report.result != RunResult::Ok;
    std::string cases;
    std::size_t count = 0;
    bool failureShown = false;
    for (std::size_t i = 0; i < report.steps.size(); ++i) {
        const RunStep& step = report.steps[i];
        const bool failing =
            failed && i + 1 == report.steps.size() && step.line == report.failingLine;
        if (!IsTestStep(step) && !failing) {
            continue;
        }
        cases += TestCase(report, "line " + std::to_string(step.line) + ": " + step.text,
                          step.endMs - step.startMs, failing);
        failureShown = failureShown || failing;
        ++count;
    }
    if (failed && !failureShown) {
        cases += TestCase(report, "t8batch run", report.elapsedMs, true);
        ++count;
    }
    total += count;
    std::string xml = "  <testsuite name=\"" + XmlText(name) + "\" tests=\"" +
                      std::to_string(count) + "\" failures=\"" + (failed ? "1" : "0") +
                      "\" errors=\"0\" skipped=\"0\" time=\"" + Seconds(report.elapsedMs) +
                      "\" timestamp=\"" + XmlText(report.startedUtc.substr(0, 19)) +
                      "\" hostname=\"" + XmlText(report.station) + "\">\n";
    xml += "    <properties>\n" + Property("port", report.device.port) +
           Property("file", report.file) + Property("result", ResultName(report.result)) +
           Property("exitCode", std::to_string(ExitCode(report.result))) +
           Property("node", report.device.node) + Property("byId", report.device.byId) +
           Property("usbSerial", report.device.usbSerial) + "    </properties>\n";
    return xml + cases + "  </testsuite>\n";
}

std::string Suites(const std::vector<std::pair<const RunReport*, std::string>>& suites) {
    std::string body;
    std::size_t tests = 0;
    std::size_t failures = 0;
    std::uint64_t longest = 0;
    for (const auto& [report, name] : suites) {
        body += Suite(*report, name, tests);
        failures += report->result != RunResult::Ok ? 1 : 0;
        longest = std::max(longest, report->elapsedMs);
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"t8batch\" tests=\"" +
           std::to_string(tests) + "\" failures=\"" + std::to_string(failures) +
           "\" errors=\"0\" time=\"" + Seconds(longest) + "\">\n" + body + "</testsuites>\n";
}

} // namespace

std::string JunitXml(const RunReport& report) {
    return Suites({{&report, report.file}});
}

std::string JunitXml(const std::vector<GangSuite>& gang) {
    std::vector<std::pair<const RunReport*, std::string>> suites;
    for (const GangSuite& suite : gang) {
        suites.emplace_back(&suite.report, suite.report.file + " on " + suite.port);
    }
    return Suites(suites);
}

} // namespace t8
