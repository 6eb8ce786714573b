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

} // namespace t8
