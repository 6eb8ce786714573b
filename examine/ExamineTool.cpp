#include "examine/ExamineTool.h"

#include "formats/ByteSource.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace t8 {

namespace {
constexpr int kRecognizeState = 1;
constexpr int kSummaryState = 2;
constexpr int kEndedState = 3;

std::string Hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", value);
    return text;
}

std::string Range(std::uint32_t start, std::uint32_t end) {
    return Hex8(start) + "-" + Hex8(end);
}
} // namespace

ExamineTool::ExamineTool(std::string path, ExamineSettings settings)
    : settings_(settings), fileNameText_(std::move(path)) {
    image_.SetFill(settings_.fillUnused, settings_.fillPattern);
}

void ExamineTool::Init() {
    char text[64];
    if (settings_.fillUnused) {
        std::snprintf(text, sizeof text, "Unused Space filled with : %02X", settings_.fillPattern);
        unusedSpaceText_ = text;
    } else {
        unusedSpaceText_ = "Unused Space not filled.";
    }
    ByteSource source;
    if (source.Open(fileNameText_)) {
        fileLength_ = source.Length();
        std::snprintf(text, sizeof text, "%" PRIu64 " bytes.", source.Length());
        fileLengthText_ = text;
    }
    Changed();
}

void ExamineTool::Tick() {
    if (state_ == kRecognizeState) {
        Recognize();
    }
    if (state_ == kSummaryState) {
        Summarize();
    }
    ++state_;
}

ExamineTool::CloseResult ExamineTool::Close() {
    if (state_ == kRecognizeState) {
        image_.RequestStop();
        state_ = kEndedState;
        statusText_ = "Examination canceled";
        Changed();
        return CloseResult::StayOpen;
    }
    return CloseResult::Close;
}

void ExamineTool::Recognize() {
    recognition_ = RecognizeFile(image_, fileNameText_, progress_);
    statusText_ = image_.StatusText();
    if (recognition_.opened) {
        fileLength_ = recognition_.fileLength;
        fileLengthText_ = recognition_.fileLengthText;
    }
    binaryLengthText_ = recognition_.binaryLengthText;
    binaryOffsetText_ = Hex8(image_.BaseAddress());
    if (recognition_.examinationEnded) {
        state_ = kEndedState;
    }
    Changed();
}

void ExamineTool::Summarize() {
    checksumText_ = Hex8(image_.ImageChecksum(progress_));
    image_.SortSegments();
    image_.MergeSegments();
    image_.MergeSegments();
    summaryDone_ = true;
    FillRows();
    Changed();
}

std::span<const ImageSegment> ExamineTool::ListedSegments() const {
    const auto& all = image_.Segments().Segments();
    return {all.data(), summaryDone_ ? std::min(all.size(), kListedSegmentsMax) : 0};
}

void ExamineTool::FillRows() {
    rows_.clear();
    totals_ = {};
    for (const ImageSegment& segment : ListedSegments()) {
        totals_.lowest = std::min(totals_.lowest, segment.start);
        totals_.highest = std::max(totals_.highest, segment.end);
        totals_.total += segment.sum;
        char length[32];
        std::snprintf(length, sizeof length, "%" PRIu64 " bytes", segment.Length());
        rows_.push_back({Range(segment.start, segment.end), length, Hex8(segment.sum), false});
    }
    rows_.push_back({Range(totals_.lowest, totals_.highest) + " - ALL SEGMENTS", "",
                     Hex8(totals_.total), false});
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].selected = i % 2 == 0;
    }
}

void ExamineTool::Changed() {
    if (changed_) {
        changed_();
    }
}

} // namespace t8
