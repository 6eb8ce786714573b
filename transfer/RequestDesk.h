#pragma once

#include <cstdint>
#include <string>

namespace t8 {

// The document as the view's timer sees it: files opened from the shell, the command line or a
// drop wait here as requests until the timer carries them out.
class RequestDesk {
public:
    enum Action : std::uint32_t { kNone = 0, kBatch = 1, kExamine = 2, kDownload = 3 };

    RequestDesk() = default;
    RequestDesk(const RequestDesk&) = delete;
    RequestDesk& operator=(const RequestDesk&) = delete;
    virtual ~RequestDesk() = default;

    // The pending action (kNone when none) and its file; each request is taken once.
    virtual std::uint32_t TakePendingRequest(std::string& path) = 0;
    // After a request was carried out the document starts anew.
    virtual bool OnNewDocument() = 0;
};

} // namespace t8
