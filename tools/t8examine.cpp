// t8examine: examines data files as the examine dialog does, for scripts and build pipelines.

#include "examine/ExamineTool.h"
#include "formats/HexDigits.h"
#include "generated/ProjectVersion.h"
#include "tools/ExamineReport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kExitRecognized = 0;
constexpr int kExitUnrecognized = 1;
constexpr int kExitCannotOpen = 2;
constexpr const char* kUsage = "usage: t8examine [--fill XX] [--json] FILE...\n";
constexpr const char* kHelp =
    "Examines data files as T8HostLink's examine dialog does: recognizes the format (Tektronix\n"
    "HEX, Motorola S, Intel HEX, ASCII hex, binary), then reports the address segments, their\n"
    "lengths and the 32-bit checksum.\n\n"
    "  --fill XX   fill unused space with the byte XX (one or two hex digits) before summing\n"
    "  --json      one JSON object per file, each on its own line, instead of the plain report\n"
    "  -h, --help  show this help\n"
    "  --version   show the version\n\n"
    "Exit status: 0 every file recognized, 1 a file not recognized, 2 a file that cannot be\n"
    "opened or a wrong command line.\n";

struct Options {
    t8::ExamineSettings settings;
    bool json = false;
    std::vector<std::string> files;
};

// One or two hex digits, as the settings page accepts for the fill pattern.
std::optional<std::uint32_t> ParseFill(const char* text) {
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 2 || !t8::IsHexDigit(static_cast<unsigned char>(text[0])) ||
        (length == 2 && !t8::IsHexDigit(static_cast<unsigned char>(text[1])))) {
        return std::nullopt;
    }
    return t8::HexToUInt(text, length);
}

std::optional<Options> ParseArguments(int argc, char** argv) {
    Options options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--fill" && i + 1 < argc) {
            const auto fill = ParseFill(argv[++i]);
            if (!fill) {
                std::fprintf(stderr, "t8examine: --fill wants one or two hex digits, not '%s'\n",
                             argv[i]);
                return std::nullopt;
            }
            options.settings = {true, *fill};
        } else {
            std::fprintf(stderr, "t8examine: unknown option '%s'\n", argument.c_str());
            return std::nullopt;
        }
    }
    if (options.files.empty()) {
        return std::nullopt;
    }
    return options;
}

int ExamineOne(const std::string& path, const Options& options, bool first) {
    t8::ExamineTool tool(path, options.settings);
    tool.Init();
    while (!tool.Finished()) {
        tool.Tick(); // no waiting between stages: nobody watches a terminal's progress bar
    }
    const std::string report = options.json ? t8::JsonReport(tool) : t8::PlainReport(tool);
    std::fputs((options.json || first ? "" : "\n"), stdout);
    std::fputs(report.c_str(), stdout);
    if (options.json) {
        std::fputc('\n', stdout);
    }
    if (tool.Recognition().recognized) {
        return kExitRecognized;
    }
    std::fprintf(stderr, "t8examine: %s: %s\n", path.c_str(), tool.StatusText().c_str());
    return tool.Recognition().opened ? kExitUnrecognized : kExitCannotOpen;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return kExitRecognized;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("t8examine %s\n", t8::kProjectVersion);
        return kExitRecognized;
    }
    const auto options = ParseArguments(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return kExitCannotOpen;
    }
    int status = kExitRecognized;
    for (std::size_t i = 0; i < options->files.size(); ++i) {
        status = std::max(status, ExamineOne(options->files[i], *options, i == 0));
    }
    return status;
}
