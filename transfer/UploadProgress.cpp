#include "transfer/UploadProgress.h"

namespace t8 {

void UploadProgress::Tick() {
    if (result == kRunning && ++silentTicks >= kSilentTicksToClose) {
        End(kOk);
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
        End(kCancelled);
    }
}

void UploadProgress::LineLost() {
    if (result == kRunning) {
        End(kLineLost);
    }
}

void UploadProgress::Stop() {
    if (result == kRunning) {
        End(kStopped);
    }
}

// However the receive ends, a record the stream left open is judged before the verdict is read.
void UploadProgress::End(int outcome) {
    result = outcome;
    checker.CheckStreamEnd();
}

bool UploadProgress::EndedEarly() const {
    return result == kLineLost || result == kStopped ||
           (result == kOk && !finished && !silenceIsTheEnd);
}

std::string UploadProgress::StatusText() const {
    const std::string verdict(checker.StatusText());
    if (!EndedEarly()) {
        return verdict;
    }
    const std::string ending = result == kLineLost  ? kLostEarly
                               : result == kStopped ? kHaltedEarly
                                                    : kStoppedEarly;
    // "No errors." of a stream that stopped half-way would read as a clean file
    return checker.HasErrors() ? verdict + " " + ending : ending;
}

} // namespace t8
