#include "tools/ExamineReport.h"

#include "tools/JsonString.h"

#include <algorithm>
#include <string_view>

namespace t8 {

namespace {
constexpr int kAreaColumn = 42;
constexpr int kLengthColumn = 18;

std::string Padded(std::string_view text, int width) {
    std::string out(text);
    out.resize(std::max<std::size_t>(out.size() + 1, static_cast<std::size_t>(width)), ' ');
    return out;
}

std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

std::string Segments(const ExamineTool& tool) {
    std::string out = "[";
    for (const ImageSegment& segment : tool.ListedSegments()) {
        if (out.size() > 1) {
            out += ',';
        }
        out += "{\"start\":" + Number(segment.start) + ",\"end\":" + Number(segment.end) +
               ",\"length\":" + Number(segment.Length()) + ",\"sum\":" + Number(segment.sum) + "}";
    }
    return out + "]";
}
} // namespace

std::string PlainReport(const ExamineTool& tool) {
    std::string out;
    out += "Examine file : " + tool.FileNameText() + "\n";
    out += "File format : " + tool.StatusText() + "\n";
    out += "File length : " + tool.FileLengthText() + "\n";
    out += "Binary length : " + tool.BinaryLengthText() + "\n";
    out += "Binary offset : " + tool.BinaryOffsetText() + "\n";
    out += "Binary checksum : " + tool.ChecksumText() + "\n";
    out += "Unused space: " + tool.UnusedSpaceText() + "\n";
    if (!tool.SummaryDone()) {
        return out;
    }
    out += "Segments\n";
    out +=
        Padded("Address area", kAreaColumn) + Padded("Binary length", kLengthColumn) + "Checksum\n";
    for (const SegmentRow& row : tool.Rows()) {
        out += Padded(row.addressArea, kAreaColumn) + Padded(row.binaryLength, kLengthColumn) +
               row.checksum + "\n";
    }
    return out;
}

std::string JsonReport(const ExamineTool& tool) {
    const bool recognized = tool.Recognition().recognized;
    const bool summary = tool.SummaryDone();
    const MemoryImage& image = tool.Image();
    const auto fileLength = tool.FileLength();
    const SegmentTotals& all = tool.Totals();
    std::string out = "{";
    out += JsonField("file", tool.FileNameText());
    out += ",\"recognized\":" + std::string(recognized ? "true" : "false");
    out += ",\"status\":" + JsonString(tool.StatusText());
    out += ",\"fileLength\":" + (fileLength ? Number(*fileLength) : "null");
    out += ",\"binaryLength\":" + (recognized ? Number(image.Length()) : "null");
    out += ",\"binaryOffset\":" + Number(image.BaseAddress());
    out += ",\"checksum\":" + (summary ? Number(image.ImageSum()) : "null");
    out += ",\"unusedSpace\":" + JsonString(tool.UnusedSpaceText());
    out += ",\"segments\":" + (summary ? Segments(tool) : "null");
    out += ",\"segmentCount\":" + (summary ? Number(tool.SegmentCount()) : "null");
    out += ",\"all\":" + (summary ? "{\"start\":" + Number(all.lowest) + ",\"end\":" +
                                        Number(all.highest) + ",\"sum\":" + Number(all.total) + "}"
                                  : "null");
    return out + "}";
}

} // namespace t8
