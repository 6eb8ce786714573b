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

ExamineTool::ExamineTool(std::string path, ExamineSettings settings_)
    : settings(settings_), fileNameText(std::move(path)) {
    image.SetFill(settings.fillUnused, settings.fillPattern);
}

void ExamineTool::Init() {
    char text[64];
    if (settings.fillUnused) {
        std::snprintf(text, sizeof text, "Unused Space filled with : %02X", settings.fillPattern);
        unusedSpaceText = text;
    } else {
        unusedSpaceText = "Unused Space not filled.";
    }
    ByteSource source;
    if (source.Open(fileNameText)) {
        fileLength = source.Length();
        std::snprintf(text, sizeof text, "%" PRIu64 " bytes.", source.Length());
        fileLengthText = text;
    }
    Changed();
}

void ExamineTool::Tick() {
    if (state == kRecognizeState) {
        Recognize();
    }
    if (state == kSummaryState) {
        Summarize();
    }
    ++state;
}

ExamineTool::CloseResult ExamineTool::Close() {
    if (state == kRecognizeState) {
        image.RequestStop();
        state = kEndedState;
        statusText = "Examination canceled";
        Changed();
        return CloseResult::StayOpen;
    }
    return CloseResult::Close;
}

void ExamineTool::Recognize() {
    recognition = RecognizeFile(image, fileNameText, progress);
    statusText = image.StatusText();
    if (recognition.opened) {
        fileLength = recognition.fileLength;
        fileLengthText = recognition.fileLengthText;
    }
    binaryLengthText = recognition.binaryLengthText;
    binaryOffsetText = Hex8(image.BaseAddress());
    if (recognition.examinationEnded) {
        state = kEndedState;
    }
    Changed();
}

void ExamineTool::Summarize() {
    checksumText = Hex8(image.ImageChecksum(progress));
    image.SortSegments();
    image.MergeSegments();
    image.MergeSegments();
    summaryDone = true;
    FillRows();
    Changed();
}

std::span<const ImageSegment> ExamineTool::ListedSegments() const {
    const auto& all = image.Segments().Segments();
    return {all.data(), summaryDone ? std::min(all.size(), kListedSegmentsMax) : 0};
}

void ExamineTool::FillRows() {
    rows.clear();
    totals = {};
    for (const ImageSegment& segment : ListedSegments()) {
        totals.lowest = std::min(totals.lowest, segment.start);
        totals.highest = std::max(totals.highest, segment.end);
        totals.total += segment.sum;
        char length[32];
        std::snprintf(length, sizeof length, "%" PRIu64 " bytes", segment.Length());
        rows.push_back({Range(segment.start, segment.end), length, Hex8(segment.sum), false});
    }
    rows.push_back(
        {Range(totals.lowest, totals.highest) + " - ALL SEGMENTS", "", Hex8(totals.total), false});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].selected = i % 2 == 0;
    }
}

void ExamineTool::Changed() {
    if (changed) {
        changed();
    }
}

} // namespace t8
