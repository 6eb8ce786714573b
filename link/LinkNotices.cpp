#include "link/LinkNotices.h"

#include "link/NetAddress.h"
#include "link/PermissionHint.h"
#include "link/PortFactory.h"

#include <cerrno>
#include <sstream>
#include <system_error>

namespace t8 {

namespace {

constexpr char kOpenAgain[] = "open the port again with Port parameters (Ctrl+R)";
constexpr char kReconnectThen[] = " Reconnect it, then ";

// A line of its own on the terminal, set off from the device's text.
std::string TerminalLine(const std::string& text) {
    return "\r\n[" + text + "]\r\n";
}

} // namespace

std::string OpenFailureText(const std::string& name, const std::string& path,
                            const LinkError& error, const std::string& frameProblem) {
    if (error.kind == LinkErrorKind::Settings && !frameProblem.empty()) {
        // the device is there: only the settings are wrong, and the operator is told which
        return "Cannot create connection via port " + name + "!\nThe line cannot take the port " +
               "parameters. " + frameProblem + "\nChange it with Port parameters (Ctrl+R).";
    }
    std::string text = "Cannot create connection via port " + name + "!\n" + name +
                       " don't exist or is used by another application.";
    // Linux can say why; a missing group membership is the usual reason.
    if (error.kind == LinkErrorKind::NoAddress) {
        text += "\n\nNo device is mapped to this port number.";
    } else if (error.kind == LinkErrorKind::Unsupported) {
        text += "\n\n" + path + ": " + UnservedAddressReason(path);
    } else if (const std::string reason = NetworkFailureReason(path, error); !reason.empty()) {
        text += "\n\n" + path + ": " + reason;
    } else if (error.systemError != 0) {
        text += "\n\n" + path + ": " + std::generic_category().message(error.systemError);
        if (const std::string hint = PermissionHint(path, error); !hint.empty()) {
            text += "\n" + hint;
        }
    }
    return text;
}

std::string NetworkFailureReason(const std::string& address, const LinkError& error) {
    const NetAddress parsed = ParseNetAddress(address);
    const std::string host = parsed.host.empty() ? address : parsed.host;
    switch (error.kind) {
    case LinkErrorKind::BadAddress:
        return parsed.problem;
    case LinkErrorKind::NameNotFound:
        return "the name " + host + " was not found";
    case LinkErrorKind::Refused:
        return host + " refused the connection: nothing serves port " +
               std::to_string(parsed.port) + " there";
    case LinkErrorKind::Unreachable:
        return host + " cannot be reached from this computer";
    case LinkErrorKind::TimedOut:
        return host + " did not answer in time";
    case LinkErrorKind::ClosedByServer:
        return "the server closed the connection";
    case LinkErrorKind::Settings:
        if (parsed.protocol != NetProtocol::Rfc2217) {
            return {};
        }
        return error.systemError == EOPNOTSUPP
                   ? host + " sets no line: it carries bytes only (use tcp://)"
                   : host + " did not set the line: it answered with another rate";
    default:
        return {};
    }
}

LinkNotice LostNotice(const std::string& path, bool awaited, const std::string& notes) {
    const std::string lost = "T8 disconnected: " + path + " hung up";
    LinkNotice notice =
        awaited ? LinkNotice{lost + ". Waiting for it to come back...",
                             TerminalLine(lost + "; waiting for it to come back")}
                : LinkNotice{lost + "." + kReconnectThen + kOpenAgain + ".", TerminalLine(lost)};
    std::istringstream lines(notes);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            notice.terminal += "[" + line + "]\r\n"; // under the first, on a line of its own
        }
    }
    return notice;
}

std::string WaitingStatus(const std::string& path) {
    return "T8 disconnected. Waiting for " + path + " to come back...";
}

std::string ClosedAfterLossStatus(const std::string& path) {
    return "T8 disconnected from " + path + "; the port is closed.";
}

LinkNotice ReconnectedNotice(const std::string& path) {
    const std::string text = "T8 reconnected on " + path;
    return {text, TerminalLine(text)};
}

std::string RefusedStatus(const std::string& awaitedPath) {
    if (!awaitedPath.empty()) {
        return "Not sent: the T8 is disconnected; waiting for " + awaitedPath + " to come back.";
    }
    return "Not sent: the port is closed; " + std::string(kOpenAgain) + ".";
}

std::string WithoutWindowAdvice(const std::string& text) {
    for (const std::string& advice :
         {std::string(kReconnectThen) + kOpenAgain + ".", "; " + std::string(kOpenAgain)}) {
        if (const std::size_t at = text.find(advice); at != std::string::npos) {
            return text.substr(0, at) + (advice.front() == ';' ? "." : "");
        }
    }
    return text;
}

} // namespace t8
