#pragma once

#include <functional>
#include <optional>
#include <string>

namespace t8 {

class SerialLink;

// Why the port went away under a transfer.
enum class LineLoss { HangUp, Closed };

// A transfer's hold on the line. For as long as it lives, the link tells it when the port goes
// away (the device hung up, or the port was closed or reopened), right after the port is freed
// and before the operator is told, so the transfer can end at once. Writes go through the link,
// never through a port pointer, so nothing can outlive the port it writes to. Take the watch
// when the transfer starts, after any deliberate reopen of the port. User-interface thread only.
class LineWatch {
public:
    // Runs on every loss. May return a line for the operator's hang-up message: what the loss
    // did to the transfer (empty when there is nothing to add).
    using Handler = std::function<std::string(LineLoss)>;

    LineWatch(SerialLink& link, Handler onLost);
    LineWatch(const LineWatch&) = delete;
    LineWatch& operator=(const LineWatch&) = delete;
    ~LineWatch();

    // Set by the first loss since the watch was taken.
    [[nodiscard]] std::optional<LineLoss> Loss() const { return loss; }

private:
    friend class LineWatchList;
    [[nodiscard]] std::string Notify(LineLoss why);

    SerialLink& link;
    Handler onLost;
    std::optional<LineLoss> loss;
};

} // namespace t8
