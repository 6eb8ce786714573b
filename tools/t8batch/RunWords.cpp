#include "tools/t8batch/RunWords.h"

#include "batch/BatchExecutor.h"
#include "link/LinkNotices.h"
#include "link/PermissionHint.h"
#include "link/PortFactory.h"

#include <cstdio>
#include <cstring>

namespace t8 {

namespace {

std::string OpenFailureReason(const std::string& path, const LinkError& error) {
    switch (error.kind) {
    case LinkErrorKind::NotATerminal:
        return "it is not a serial device";
    case LinkErrorKind::Busy:
        return "another program is using it";
    case LinkErrorKind::Unsupported:
        return UnservedAddressReason(path);
    default:
        if (std::string reason = NetworkFailureReason(path, error); !reason.empty()) {
            return reason;
        }
        return std::strerror(error.systemError);
    }
}

} // namespace

std::string WithoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

void PrintLine(const std::string& text) {
    std::printf("%s\n", WithoutLineEnd(text).c_str());
    std::fflush(stdout);
}

std::string News(const std::string& text) {
    std::string news = text.substr(0, text.find("\n\n"));
    for (std::size_t at = news.find('\n'); at != std::string::npos; at = news.find('\n', at)) {
        news.replace(at, 1, " ");
    }
    return news;
}

std::string OwnWords(const std::string& text, KeyMode key) {
    if (text == BatchExecutor::kSuccessText) {
        return "Batch file executed successfully.";
    }
    if (text == BatchExecutor::kKeyText) {
        return key == KeyMode::Continue ? "KEY: the run goes on (--key continue)"
               : key == KeyMode::Fail   ? "KEY: the run stops (--key fail)"
                                        : "KEY: press Enter to continue, Ctrl+C to stop";
    }
    return text == BatchExecutor::kCloseText ? std::string() : text;
}

std::string PortOpenFailure(const std::string& path, const LinkError& error,
                            const std::string& frameProblem) {
    if (error.kind == LinkErrorKind::Settings && !frameProblem.empty()) {
        return "cannot open the port " + path + ": the line cannot take the settings. " +
               frameProblem;
    }
    if (error.kind == LinkErrorKind::NoAddress) {
        return "cannot open the port: no device is mapped to the port number of the settings";
    }
    std::string text = "cannot open the port " + path + ": " + OpenFailureReason(path, error);
    if (const std::string hint = PermissionHint(path, error); !hint.empty()) {
        text += ". " + hint; // which group owns the device, and how to join it
    }
    return text;
}

} // namespace t8
