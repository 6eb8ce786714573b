#pragma once

#include "formats/FormatRecognizer.h"
#include "formats/MemoryImage.h"
#include "formats/ProgressMeter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace t8 {

// The two fill options of the connection record that an examination reads.
struct ExamineSettings {
    bool fillUnused = false;
    std::uint32_t fillPattern = 0;
};

// One row of the segment table as the dialog shows it.
struct SegmentRow {
    std::string addressArea;  // "$%08X-$%08X", or with " - ALL SEGMENTS" on the last row
    std::string binaryLength; // "%lu bytes", empty on the last row
    std::string checksum;     // "$%08X"
    bool selected = false;    // rows with an even index start selected
};

// The ALL SEGMENTS row: over the listed segments only.
struct SegmentTotals {
    std::uint32_t lowest = 0xFFFFFFFFU;
    std::uint32_t highest = 0;
    std::uint32_t total = 0;
};

// The examination of one file, as the examine dialog shows it and t8examine prints it. The
// caller ticks it every 200 ms: the first tick only advances, the second recognises and loads
// the file, the third computes the summary. Widget-free; the view binds to its texts.
class ExamineTool {
public:
    static constexpr std::size_t kListedSegmentsMax = 16;
    enum class CloseResult { StayOpen, Close };

    explicit ExamineTool(std::string path, ExamineSettings settings_ = {});
    ExamineTool(const ExamineTool&) = delete;
    ExamineTool& operator=(const ExamineTool&) = delete;

    void SetProgressCallback(ProgressFn progress_) { progress = std::move(progress_); }
    // Called whenever the texts or the table change, for the view to refresh.
    void SetChangedCallback(std::function<void()> changed_) { changed = std::move(changed_); }

    // The dialog's initialisation: unused-space text and file length.
    void Init();
    void Tick();
    // The Close button: cancels while the recognition is due, else ends the dialog.
    [[nodiscard]] CloseResult Close();
    // Stops a running reader or checksum at its next record or block (callback or other thread).
    void RequestStop() { image.RequestStop(); }

    [[nodiscard]] int State() const { return state; }
    [[nodiscard]] bool Finished() const { return state >= 3; }
    [[nodiscard]] bool SummaryDone() const { return summaryDone; }
    [[nodiscard]] const RecognitionResult& Recognition() const { return recognition; }
    [[nodiscard]] const MemoryImage& Image() const { return image; }
    // The length on disk; empty when the file could not be opened.
    [[nodiscard]] std::optional<std::uint64_t> FileLength() const { return fileLength; }

    [[nodiscard]] const std::string& FileNameText() const { return fileNameText; }
    [[nodiscard]] const std::string& StatusText() const { return statusText; }
    [[nodiscard]] const std::string& BinaryLengthText() const { return binaryLengthText; }
    [[nodiscard]] const std::string& FileLengthText() const { return fileLengthText; }
    [[nodiscard]] const std::string& BinaryOffsetText() const { return binaryOffsetText; }
    [[nodiscard]] const std::string& ChecksumText() const { return checksumText; }
    [[nodiscard]] const std::string& UnusedSpaceText() const { return unusedSpaceText; }

    // Rows of the table: the listed segments, then the ALL SEGMENTS row (after the summary).
    [[nodiscard]] const std::vector<SegmentRow>& Rows() const { return rows; }
    [[nodiscard]] std::span<const ImageSegment> ListedSegments() const;
    [[nodiscard]] const SegmentTotals& Totals() const { return totals; }
    // Every segment after merging, listed or not.
    [[nodiscard]] std::size_t SegmentCount() const { return image.Segments().Size(); }

private:
    void Recognize();
    void Summarize();
    void FillRows();
    void Changed();

    ExamineSettings settings;
    MemoryImage image;
    RecognitionResult recognition;
    ProgressFn progress;
    std::function<void()> changed;
    std::optional<std::uint64_t> fileLength;
    int state = 0;
    bool summaryDone = false;
    std::string fileNameText;
    std::string statusText;
    std::string binaryLengthText;
    std::string fileLengthText;
    std::string binaryOffsetText;
    std::string checksumText;
    std::string unusedSpaceText;
    std::vector<SegmentRow> rows;
    SegmentTotals totals;
};

} // namespace t8
