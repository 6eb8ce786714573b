#pragma once

#include "transfer/RequestDesk.h"
#include "transfer/save/SaveFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace t8 {

// What the view needs of the document: the desk where opened files wait as requests for the
// transfers, and the store of what the device sent while capture was on.
class ViewDocument : public RequestDesk {
public:
    // Far beyond any session's output, yet a runaway capture cannot eat the machine's memory.
    static constexpr std::size_t kCaptureLimit = std::size_t{256} << 20;

    // Called whenever a request has been recorded, so that it is carried out also when no
    // timer looks for it (the port closed).
    virtual void SetRequestListener(std::function<void()> listener) = 0;
    // False once the capture store is full; what did not fit is not stored.
    virtual bool AppendCapture(const std::uint8_t* bytes, std::size_t count) = 0;
    virtual void ResetCapture() = 0;
    // What was captured so far.
    [[nodiscard]] virtual const std::vector<std::uint8_t>& Captured() const = 0;
    // The whole capture into `path` as SaveFile writes it; the capture stays as it is.
    [[nodiscard]] virtual SaveResult Serialize(const std::string& path) const = 0;
};

} // namespace t8
