#include "app/CProgTermDoc.h"

#include "batch/BatchFiles.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace t8 {

bool CProgTermDoc::OnNewDocument() {
    SetTitle("T8");
    // The capture position is kept: rewinding it here would let later input overwrite what
    // was captured before a request was carried out.
    return true;
}

bool CProgTermDoc::OnOpenDocument(const std::string& path, const Question& ask) {
    std::uint32_t action = kBatch;
    if (!IsBatchFileName(path)) {
        std::string text = kQuestion;
        text.replace(text.find("%s"), 2, path);
        switch (ask(text)) {
        case Answer::Cancel: // also drops a request still waiting
            if (pendingAction != kNone) {
                SetTitle(titleBeforeRequest);
            }
            pendingAction = kNone;
            pendingPath.clear();
            return false;
        case Answer::Download:
            action = kDownload;
            break;
        case Answer::Examine:
            action = kExamine;
            break;
        }
    }
    if (pendingAction == kNone) {
        titleBeforeRequest = title; // a request replacing a waiting one keeps the first's
    }
    pendingAction = action;
    pendingPath = path;
    SetTitle(std::filesystem::path(path).filename().string());
    if (onRequest) {
        onRequest();
    }
    return true;
}

std::uint32_t CProgTermDoc::TakePendingRequest(std::string& path) {
    const std::uint32_t action = pendingAction;
    if (action != kNone) {
        path = pendingPath;
        pendingPath.clear();
        pendingAction = kNone;
        SetTitle(titleBeforeRequest);
    }
    return action;
}

void CProgTermDoc::SetTitle(std::string text) {
    title = std::move(text);
    if (titleChanged) {
        titleChanged();
    }
}

bool CProgTermDoc::AppendCapture(const std::uint8_t* bytes, std::size_t count) {
    const std::size_t room = kCaptureLimit - std::min(kCaptureLimit, capturePosition);
    const std::size_t taken = std::min(room, count);
    if (capturePosition + taken > captureBuffer.size()) {
        captureBuffer.resize(capturePosition + taken);
    }
    std::copy_n(bytes, taken, captureBuffer.begin() + static_cast<std::ptrdiff_t>(capturePosition));
    capturePosition += taken;
    captureFull = taken < count;
    return !captureFull;
}

void CProgTermDoc::ResetCapture() {
    captureBuffer.clear();
    captureBuffer.shrink_to_fit();
    capturePosition = 0;
    captureFull = false;
}

SaveResult CProgTermDoc::Serialize(const std::string& path) const {
    return SaveFile(path, captureBuffer);
}

} // namespace t8
