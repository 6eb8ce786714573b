#include "transfer/DownloadStream.h"

#include "link/SerialLink.h"
#include "transfer/TransferFiles.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace t8 {
namespace {

constexpr std::uint64_t kMsPerSecond = 1000;
constexpr std::uint64_t kSecondsPerMinute = 60;
constexpr std::uint32_t kBitsPerByte = 10; // start, eight data bits, stop

std::string Format(const char* format, auto... values) {
    char text[64];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

bool DownloadStream::OpenSource(const std::string& path) {
    if (!sourceFile.Open(path)) {
        return false;
    }
    length = sourceFile.Size();
    position = 0;
    buffered = 0;
    return true;
}

bool DownloadStream::Setup(const std::string& path, std::uint32_t stageAndDisplay,
                           SerialLink& link_) {
    stage = stageAndDisplay;
    showBytes = stageAndDisplay;
    fileNameText = NameOf(path);
    if (!OpenSource(path)) {
        error = "Error by opening file.";
        return false;
    }
    fileLength = length;
    if (!scratch.Ok()) {
        error = scratch.Error();
        return false;
    }
    if (!link_.LineOpen()) {
        error = SerialLink::kNotConnected;
        return false;
    }
    link = &link_;
    // 8N1, ten bits a byte: at most the bytes the line can carry
    lineBytesPerSecond =
        link_.Record() != nullptr ? link_.Record()->com.baudRate / kBitsPerByte : 0;
    watch.emplace(link_, [this](LineLoss) { return LineLost(); });
    return true;
}

std::string DownloadStream::LineLost() {
    if (result != kRunning) {
        return {};
    }
    result = kLineLost;
    // What waited in the driver at the last tick went down with the line.
    CountUnsent(queuedAtTick + writtenAtTick);
    // the operator knows the file's size, not that of a library's converted copy: what was
    // sent of the copy is told as the same share of the file
    const std::uint64_t sent =
        length == 0 || length == fileLength
            ? position
            : static_cast<std::uint64_t>(static_cast<long double>(position) * fileLength / length);
    return "The send of " + fileNameText + " was stopped after " + std::to_string(sent) + " of " +
           std::to_string(fileLength) + " bytes.";
}

void DownloadStream::SetLibraryHooks(Conversion convert_, PieceText pieceText_) {
    convert = std::move(convert_);
    pieceText = std::move(pieceText_);
}

void DownloadStream::Cancel() {
    if (result != kRunning) {
        return;
    }
    result = kCancelled;
    if (link != nullptr) {
        CountUnsent(link->OutputQueued());
        link->DiscardOutput();
    }
}

void DownloadStream::Tick(std::uint64_t nowMs) {
    if (result != kRunning || link == nullptr) {
        return;
    }
    if (!startMs) {
        startMs = nowMs;
    }
    lastTickMs = nowMs;
    if (position >= length) {
        if (++idleTicks >= kIdleTicksToClose) {
            result = kOk;
        }
        return;
    }
    idleTicks = 0;
    writtenAtTick = 0;
    queuedAtTick = link->OutputQueued();
    if (stage == kStageConvert) {
        Convert();
    } else if (queuedAtTick <= kMaxQueuedBytes) {
        SendPiece();
        UpdateRate(nowMs);
    }
    if (length != 0) {
        percent = static_cast<std::uint32_t>(position * 100 / length);
    }
}

// Each piece is the kPieceBytes from `position` on: what the line left of the last one, topped
// up from the file. A line slower than a piece a tick takes part of every piece, so the rest
// is kept rather than read again.
void DownloadStream::SendPiece() {
    sourceFile.read(reinterpret_cast<char*>(chunk.data() + buffered),
                    static_cast<std::streamsize>(kPieceBytes - buffered));
    buffered += static_cast<std::size_t>(sourceFile.gcount());
    sourceFile.clear(); // a short last read sets eof; the position is still good
    if (buffered == 0) {
        length = position; // the file shrank under us: what is there has been sent
        return;
    }
    // A failed write takes nothing; a hang-up behind it reaches us through the watch.
    const WriteResult written = link->WriteAvailable(chunk.data(), buffered);
    position += written.written;
    writtenAtTick += written.written;
    if (showBytes == 1) {
        sentText = Format("%li - bytes transmitted.", static_cast<long>(position));
    } else if (pieceText) {
        if (auto text = pieceText(chunk.data(), written.written)) {
            sentText = std::move(*text);
        }
    }
    buffered -= written.written;
    std::memmove(chunk.data(), chunk.data() + written.written, buffered);
}

// A pseudo-terminal reports no queue, and the program behind it may hold what it read: the line
// rate bounds what can have gone out since the first piece.
void DownloadStream::CountUnsent(std::uint64_t queued) {
    std::uint64_t sent = position - std::min(position, queued);
    if (startMs && lineBytesPerSecond > 0) {
        const std::uint64_t lineMs = lastTickMs - *startMs + kTickMs;
        sent = std::min(sent, lineMs * lineBytesPerSecond / kMsPerSecond);
    }
    unsent = position - sent;
}

void DownloadStream::Convert() {
    sentText = kConvertingText;
    std::ofstream out(scratch.Path(), std::ios::binary | std::ios::trunc);
    const bool converted = convert && out && convert(sourceFile, out);
    out.close();
    stage = kStageSend;
    if (!converted || !out || !OpenSource(scratch.Path())) {
        conversionFailed = true;
        result = kOk; // the caller reports it; the stream ends as if completed
    }
}

void DownloadStream::UpdateRate(std::uint64_t nowMs) {
    // the first piece stands for a tick of line time
    const std::uint64_t elapsedMs = nowMs - *startMs + kTickMs;
    if (position == 0) {
        return;
    }
    const std::uint64_t bytesPerSecond = position * kMsPerSecond / elapsedMs;
    if (bytesPerSecond == 0) {
        return;
    }
    const std::uint64_t secondsLeft = (length - position + bytesPerSecond - 1) / bytesPerSecond;
    rateText = Format("%" PRIu64 " bytes/s, %" PRIu64 ":%02" PRIu64 " left", bytesPerSecond,
                      secondsLeft / kSecondsPerMinute, secondsLeft % kSecondsPerMinute);
}

} // namespace t8
