#pragma once

#include "terminal/ui/ViewDocument.h"
#include "transfer/save/SaveFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace t8 {

// The one document: a request desk for opened files and the store of captured terminal input.
// It never reads an opened file; it records what the operator wants done with it.
class CProgTermDoc : public ViewDocument {
public:
    enum class Answer { Download, Examine, Cancel };
    using Question = std::function<Answer(const std::string& text)>;

    CProgTermDoc() = default;

    bool OnNewDocument() override;
    // False when the operator cancelled; nothing is recorded then. While the request waits the
    // document is titled with the file's name.
    bool OnOpenDocument(const std::string& path, const Question& ask);
    // The pending action (kNone when none); each request is taken once, and the title returns to
    // what it was before the request.
    std::uint32_t TakePendingRequest(std::string& path) override;
    // Told of every change of the title.
    void SetTitleObserver(std::function<void()> observer) { titleChanged = std::move(observer); }
    // Called whenever a request has been recorded, so it is carried out also when no timer
    // looks for it (the port closed).
    void SetRequestListener(std::function<void()> listener) override {
        onRequest = std::move(listener);
    }

    // Returns false once the capture store is full; what did not fit is not stored.
    bool AppendCapture(const std::uint8_t* bytes, std::size_t count) override;
    void ResetCapture() override;
    // Writes the whole capture to `path` as SaveFile does: an existing file is never left
    // half-written. The capture stays as it is either way; the caller resets it once saved.
    [[nodiscard]] SaveResult Serialize(const std::string& path) const override;

    [[nodiscard]] const std::string& Title() const { return title; }
    [[nodiscard]] std::size_t CaptureLength() const { return captureBuffer.size(); }
    [[nodiscard]] const std::vector<std::uint8_t>& Captured() const override {
        return captureBuffer;
    }
    [[nodiscard]] bool CaptureFull() const { return captureFull; }

    static constexpr const char* kQuestion =
        "File:%s\nDo you wish to Download (YES) or Examine (NO) this file?";

private:
    void SetTitle(std::string text);

    std::function<void()> onRequest;
    std::string pendingPath;
    std::uint32_t pendingAction = kNone;
    std::vector<std::uint8_t> captureBuffer;
    std::size_t capturePosition = 0;
    bool captureFull = false;
    std::string title = "T8";
    std::string titleBeforeRequest;
    std::function<void()> titleChanged;
};

} // namespace t8
