#include "transfer/UploadProgress.h"

#include "formats/FormatInfo.h"

namespace t8 {

void UploadProgress::Tick() {
    if (result == kRunning && ++silentTicks >= kSilentTicksToClose) {
        End(kOk);
    }
}

void UploadProgress::SetBytes(long count) {
    silentTicks = 0;
    anyBytes = anyBytes || count > 0;
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
    if (checker) {
        checker->CheckStreamEnd();
    }
}

void UploadProgress::Check(const FormatInfo& format, const std::uint8_t* bytes, std::size_t count) {
    if (!checker && format.makeCheck != nullptr) {
        checker = format.makeCheck();
    }
    if (checker) {
        checker->Check(bytes, count);
    }
}

std::string_view UploadProgress::CheckVerdict() const {
    return checker ? checker->StatusText() : StreamCheck::kNoErrors;
}

bool UploadProgress::EndedEarly() const {
    return result == kLineLost || result == kStopped ||
           (result == kOk && !finished && (!silenceIsTheEnd || !anyBytes));
}

std::string UploadProgress::StatusText() const {
    const std::string verdict(CheckVerdict());
    if (!EndedEarly()) {
        return verdict;
    }
    const std::string ending = result == kLineLost  ? kLostEarly
                               : result == kStopped ? kHaltedEarly
                               : anyBytes           ? kStoppedEarly
                                                    : kNothingSent; // silence from the start
    // "No errors." of a stream that stopped half-way would read as a clean file
    return CheckFoundErrors() ? verdict + " " + ending : ending;
}

} // namespace t8
