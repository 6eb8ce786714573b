#pragma once

#include "link/LinkError.h"

#include <string>

namespace t8 {

// What the operator is told about the line coming and going. The status bar's texts stay until
// replaced; the terminal's lines are drawn on the screen only (never captured, never sent).
struct LinkNotice {
    std::string status;
    std::string terminal;
};

// The port could not be opened: `name` as the operator chose it ("COM3" or a path), `path` the
// address tried, `error` why (NoAddress: none is mapped to the number). `frameProblem`: what
// the line cannot take in the settings (FrameProblem) when the driver refused them.
[[nodiscard]] std::string OpenFailureText(const std::string& name, const std::string& path,
                                          const LinkError& error,
                                          const std::string& frameProblem = {});
// Why a network address could not be connected, in the operator's words; empty when `error` is
// no failure of the network's own.
[[nodiscard]] std::string NetworkFailureReason(const std::string& address, const LinkError& error);
// The device at `path` hung up; `awaited` when it is watched for and will be reopened.
// `notes`: what the hang-up did to running transfers, a line each, shown under it.
[[nodiscard]] LinkNotice LostNotice(const std::string& path, bool awaited,
                                    const std::string& notes = {});
// Waiting for the device at `path` again after an explicit reopen failed.
[[nodiscard]] std::string WaitingStatus(const std::string& path);
// The explicit close interrupted the wait; the port stays closed.
[[nodiscard]] std::string ClosedAfterLossStatus(const std::string& path);
// The device is connected again at `path`.
[[nodiscard]] LinkNotice ReconnectedNotice(const std::string& path);
// A key or command was not sent: the device is awaited at `path`, or the port is closed
// (`path` empty).
[[nodiscard]] std::string RefusedStatus(const std::string& awaitedPath);
// One of these texts without the advice that only the window can follow (its menus and
// dialogs), for a host without one.
[[nodiscard]] std::string WithoutWindowAdvice(const std::string& text);

} // namespace t8
