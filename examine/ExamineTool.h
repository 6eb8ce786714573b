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

    explicit ExamineTool(std::string path, ExamineSettings settings = {});
    ExamineTool(const ExamineTool&) = delete;
    ExamineTool& operator=(const ExamineTool&) = delete;

    void SetProgressCallback(ProgressFn progress) { progress_ = std::move(progress); }
    // Called whenever the texts or the table change, for the view to refresh.
    void SetChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }

    // The dialog's initialisation: unused-space text and file length.
    void Init();
    void Tick();
    // The Close button: cancels while the recognition is due, else ends the dialog.
    [[nodiscard]] CloseResult Close();
    // Stops a running reader or checksum at its next record or block (callback or other thread).
    void RequestStop() { image_.RequestStop(); }

    [[nodiscard]] int State() const { return state_; }
    [[nodiscard]] bool Finished() const { return state_ >= 3; }
    [[nodiscard]] bool SummaryDone() const { return summaryDone_; }
    [[nodiscard]] const RecognitionResult& Recognition() const { return recognition_; }
    [[nodiscard]] const MemoryImage& Image() const { return image_; }
    // The length on disk; empty when the file could not be opened.
    [[nodiscard]] std::optional<std::uint64_t> FileLength() const { return fileLength_; }

    [[nodiscard]] const std::string& FileNameText() const { return fileNameText_; }
    [[nodiscard]] const std::string& StatusText() const { return statusText_; }
    [[nodiscard]] const std::string& BinaryLengthText() const { return binaryLengthText_; }
    [[nodiscard]] const std::string& FileLengthText() const { return fileLengthText_; }
    [[nodiscard]] const std::string& BinaryOffsetText() const { return binaryOffsetText_; }
    [[nodiscard]] const std::string& ChecksumText() const { return checksumText_; }
    [[nodiscard]] const std::string& UnusedSpaceText() const { return unusedSpaceText_; }

    // Rows of the table: the listed segments, then the ALL SEGMENTS row (after the summary).
    [[nodiscard]] const std::vector<SegmentRow>& Rows() const { return rows_; }
    [[nodiscard]] std::span<const ImageSegment> ListedSegments() const;
    [[nodiscard]] const SegmentTotals& Totals() const { return totals_; }
    // Every segment after merging, listed or not.
    [[nodiscard]] std::size_t SegmentCount() const { return image_.Segments().Size(); }

private:
    void Recognize();
    void Summarize();
    void FillRows();
    void Changed();

    ExamineSettings settings_;
    MemoryImage image_;
    RecognitionResult recognition_;
    ProgressFn progress_;
    std::function<void()> changed_;
    std::optional<std::uint64_t> fileLength_;
    int state_ = 0;
    bool summaryDone_ = false;
    std::string fileNameText_;
    std::string statusText_;
    std::string binaryLengthText_;
    std::string fileLengthText_;
    std::string binaryOffsetText_;
    std::string checksumText_;
    std::string unusedSpaceText_;
    std::vector<SegmentRow> rows_;
    SegmentTotals totals_;
};

} // namespace t8
