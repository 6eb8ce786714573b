#include "transfer/UploadProgress.h"

namespace t8 {

void UploadProgress::Tick() {
    if (result == kRunning && ++silentTicks >= kSilentTicksToClose) {
        result = kOk;
    }
}

void UploadProgress::SetBytes(long count) {
    silentTicks = 0;
    bytesText = std::to_string(count) + " bytes";
}

void UploadProgress::SetFormat(const std::string& text) {
    silentTicks = 0;
    formatText = text;
}

void UploadProgress::Cancel() {
    if (result == kRunning) {
        result = kCancelled;
    }
}

void UploadProgress::LineLost() {
    if (result == kRunning) {
        result = kLineLost;
    }
}

bool UploadProgress::EndedEarly() const {
    return result == kLineLost || (result == kOk && !finished && !silenceIsTheEnd);
}

std::string UploadProgress::StatusText() const {
    const std::string verdict(checker.StatusText());
    if (!EndedEarly()) {
        return verdict;
    }
    const std::string ending = result == kLineLost ? kLostEarly : kStoppedEarly;
    // "No errors." of a stream that stopped half-way would read as a clean file
    return checker.HasErrors() ? verdict + " " + ending : ending;
}

} // namespace t8
