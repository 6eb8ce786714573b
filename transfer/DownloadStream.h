#pragma once

#include "formats/RegularFile.h"
#include "link/LineWatch.h"
#include "transfer/ScratchFile.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace t8 {

class SerialLink;

// The streaming behind "Download progress.....": every PC-to-T8 stream writes its file to the
// line in pieces, one per 50 ms tick, and only what the line takes without waiting, so the
// dialog keeps painting and Cancel takes effect within a tick at any rate. The stream holds a
// LineWatch: when the port goes away it ends at once (kLineLost) and writes no more. The dialog
// shows the texts and the bar and calls Tick().
class DownloadStream {
public:
    static constexpr int kTickMs = 50;
    static constexpr std::size_t kPieceBytes = 4096;
    // No piece is written while more than this waits in the driver's output queue.
    static constexpr std::size_t kMaxQueuedBytes = 4096;
    static constexpr int kIdleTicksToClose = 15;
    static constexpr std::uint32_t kStageConvert = 0;
    static constexpr std::uint32_t kStageSend = 1;
    enum Outcome : int { kRunning = 0, kOk = 1, kCancelled = 2, kLineLost = 3 };
    static constexpr const char* kConvertingText = "Integrity check !";

    // Stage 0 (the library download): fills `scratch` from `source`; false on an internal
    // error. The stream then sends the scratch file.
    using Conversion = std::function<bool(std::istream& source, std::ostream& scratch)>;
    // With showBytes 0: the text after a piece (the library's record address); nothing keeps
    // the last text.
    using PieceText =
        std::function<std::optional<std::string>(const std::uint8_t* piece, std::size_t count)>;

    DownloadStream() = default;
    DownloadStream(const DownloadStream&) = delete;
    DownloadStream& operator=(const DownloadStream&) = delete;

    // Opens the file and the scratch file and takes hold of the line; `stageAndDisplay` is 1 for
    // a plain send, 0 for a library. False with Error() set when either file cannot be opened
    // or the port is not open.
    [[nodiscard]] bool Setup(const std::string& path, std::uint32_t stageAndDisplay,
                             SerialLink& link);
    void SetLibraryHooks(Conversion convert, PieceText pieceText);

    // One timer tick at `nowMs` (any steady clock in milliseconds).
    void Tick(std::uint64_t nowMs);
    // Ends the stream and drops what still waits in the driver, so the escapes that end the
    // device's command follow at once.
    void Cancel();

    [[nodiscard]] int Result() const { return result; }
    [[nodiscard]] const std::string& FileNameText() const { return fileNameText; }
    [[nodiscard]] const std::string& SentText() const { return sentText; }
    // The bar's position, 0 to 100.
    [[nodiscard]] std::uint32_t Percent() const { return percent; }
    // Bytes a second and the time left, once a rate could be measured; empty before.
    [[nodiscard]] const std::string& RateText() const { return rateText; }
    [[nodiscard]] std::uint64_t Position() const { return position; }
    // The bytes that went to the line: those handed over, less what a cancel dropped from the
    // driver's queue or what waited there when the line went away, and never more than the
    // line's rate can have carried since the first piece.
    [[nodiscard]] std::uint64_t Sent() const { return position - unsent; }
    [[nodiscard]] std::uint64_t Length() const { return length; }
    [[nodiscard]] bool ConversionFailed() const { return conversionFailed; }
    [[nodiscard]] const std::string& Error() const { return error; }
    [[nodiscard]] const std::string& ScratchPath() const { return scratch.Path(); }

private:
    void Convert();
    void SendPiece();
    void UpdateRate(std::uint64_t nowMs);
    [[nodiscard]] bool OpenSource(const std::string& path);
    [[nodiscard]] std::string LineLost();
    void CountUnsent(std::uint64_t queued);

    SerialLink* link = nullptr;
    std::uint32_t stage = kStageSend;
    std::uint32_t showBytes = 1;
    RegularFileStream sourceFile; // a FIFO or device is refused, never waited on
    ScratchFile scratch;
    std::array<std::uint8_t, kPieceBytes> chunk{};
    std::size_t buffered = 0; // bytes from `position` on, read into `chunk` and not yet taken
    Conversion convert;
    PieceText pieceText;
    std::uint64_t length = 0;
    std::uint64_t fileLength = 0; // the file named, before a library is converted
    std::uint64_t position = 0;
    std::uint64_t unsent = 0;
    std::uint64_t queuedAtTick = 0;  // in the driver before this tick's piece
    std::uint64_t writtenAtTick = 0; // handed over in this tick
    std::uint64_t lastTickMs = 0;
    std::uint32_t lineBytesPerSecond = 0; // 0: unknown
    int idleTicks = 0;
    int result = kRunning;
    std::uint32_t percent = 0;
    std::optional<std::uint64_t> startMs;
    std::string fileNameText;
    std::string sentText;
    std::string rateText;
    std::string error;
    bool conversionFailed = false;
    std::optional<LineWatch> watch; // last: let go first, before what its handler reads
};

} // namespace t8
