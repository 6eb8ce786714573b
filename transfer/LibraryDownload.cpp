#include "transfer/LibraryDownload.h"

#include "link/AppName.h"
#include "link/SerialLink.h"
#include "settings/DirectorySettings.h"
#include "transfer/DownloadStream.h"
#include "transfer/FileChooser.h"
#include "transfer/FileDialogError.h"
#include "transfer/FileFilters.h"
#include "transfer/LibraryConversion.h"
#include "transfer/TransferFields.h"
#include "transfer/TransferFiles.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferProgress.h"
#include "transfer/TransferTimer.h"

#include <array>
#include <string_view>
#include <utility>

namespace t8 {
namespace {

// The device's baud menu, in the order its blanks step through it from 9600.
constexpr std::array<std::uint32_t, 9> kBaudMenu = {9600, 14400, 28800, 115200, 300,
                                                    600,  1200,  2400,  4800};
constexpr std::string_view kStartKeys = "XX00000\r";
constexpr std::string_view kBaudKeys = "\rBA";
constexpr char kBlank = ' ';

} // namespace

int BaudCode(std::uint32_t baudRate) {
    for (std::size_t code = 0; code < kBaudMenu.size(); ++code) {
        if (kBaudMenu[code] == baudRate) {
            return static_cast<int>(code);
        }
    }
    return 0;
}

LibraryDownload::LibraryDownload(SerialLink& link_, FileChooser& files_,
                                 TransferMessages& messages_, TransferProgress& progress_,
                                 TransferTimer& timer_, const DirectorySettings& dirs_)
    : link(link_), files(files_), messages(messages_), progress(progress_), timer(timer_),
      dirs(dirs_) {}

void LibraryDownload::ReceiveLibraryCommand() {
    if (running || link.Record() == nullptr) {
        return;
    }
    if (!link.LineOpen()) { // before the operator looks for a file that cannot go anywhere
        messages.ShowMessage(kPortClosed, "", MessageIcon::Exclamation);
        return;
    }
    const std::optional<std::string> path = ChooseFile();
    if (!path) {
        return;
    }
    if (!CanOpenForReading(*path)) {
        messages.ShowMessage(kOpenFileError, "", MessageIcon::None);
        return;
    }
    if (!RateAccepted()) {
        return;
    }
    lastLibraryPath = *path;
    running = true;
    lineLost = false;
    timer.StopViewTimer(); // the timer's own work waits until the library is through
    Run(*path);
    watch.reset();
    running = false;
    if (link.Record()->line.connected) {
        timer.StartViewTimer();
    }
}

std::optional<std::string> LibraryDownload::ChooseFile() {
    if (lastLibraryPath.empty()) {
        lastLibraryPath = InitialName(dirs.libraryDirectory, dirs.libraryFilter);
    }
    std::optional<std::string> chosen =
        files.ChooseOpenFile(lastLibraryPath, std::string(kLibraryFileFilter));
    if (!chosen || chosen->empty()) {
        if (const std::string error = FileDialogErrorText(files.LastDialogError());
            !error.empty()) {
            messages.ShowMessage(error, "", MessageIcon::None);
        }
        return std::nullopt;
    }
    return chosen;
}

// The start sequence can step the device only to the rates of its menu; for any other the device
// stays at 9600 after the start while the PC goes back to its own rate.
bool LibraryDownload::RateAccepted() {
    const std::uint32_t rate = link.Record()->com.baudRate;
    if (rate == kStartBaudRate || BaudCode(rate) != 0) {
        return true;
    }
    std::string text = kRateWarning;
    for (int i = 0; i < 2; ++i) {
        text.replace(text.find("%u"), 2, std::to_string(rate));
    }
    return messages.AskOkCancel(text, kStartCaption);
}

void LibraryDownload::Run(const std::string& path) {
    if (!link.LineOpen()) {
        messages.ShowMessage(SerialLink::kNotConnected, "", MessageIcon::None);
        return;
    }
    Watch();
    if (link.SendBytes("RL") != 1) {
        return; // the device did not get its command: no records for it to misread
    }
    timer.Wait(kAfterCommandMs);
    if (lineLost || !Stream(path)) {
        return;
    }
    const bool start = messages.AskOkCancel(kStartQuestion, kStartCaption);
    if (lineLost) {
        return; // the link has told the operator
    }
    if (!start) {
        messages.ShowMessage(kDownloaded, "", MessageIcon::None);
        messages.ShowMessage(kResetAdvice, "", MessageIcon::None);
        return;
    }
    StartLibrary();
}

bool LibraryDownload::Stream(const std::string& path) {
    DownloadStream stream;
    if (!stream.Setup(path, DownloadStream::kStageConvert, link)) {
        messages.ShowMessage(stream.Error(), "", MessageIcon::Exclamation);
        return false;
    }
    return RunStream(stream, path);
}

// Every hang-up until the command ends is noted; the deliberate closes of the start sequence
// let go of the watch first and take it again after the reopen.
void LibraryDownload::Watch() {
    watch.emplace(link, [this](LineLoss why) {
        lineLost = lineLost || why == LineLoss::HangUp;
        return lineLost ? std::string(kCutShort) : std::string();
    });
}

bool LibraryDownload::RunStream(DownloadStream& stream, const std::string& path) {
    stream.SetLibraryHooks(ConvertLibrary, RecordAddressText);
    if (progress.RunDownloadDialog(stream) != TransferProgress::kDialogOk) {
        return false; // cancelled or the line lost: the device has "RL" and some records
    }
    if (stream.ConversionFailed()) {
        // nothing was sent, so there is no library to start
        messages.ShowMessage(kInternalError, kInternalErrorCaption, MessageIcon::None);
        return false;
    }
    if (stream.Sent() == 0) {
        // no library reached the device: nothing to start, and the device still waits for one
        std::string text = kNothingSent;
        text.replace(text.find("%s"), 2, path);
        messages.ShowMessage(text + "\n" + kResetAdvice, "", MessageIcon::Exclamation);
        return false;
    }
    return true;
}

// X X 0 0 0 0 0 CR at the PC's rate; at 9600 8N1 CR B A, a blank per baud step, ESC; then the
// PC's own settings again and a CR. The device's output stays off the screen meanwhile.
void LibraryDownload::StartLibrary() {
    keysRefused = false;
    link.flags.displayHeld = 1;
    Keys(kStartKeys, kKeyGapMs);
    const LineSettings saved = link.Record()->com.Line();
    ReopenAtStartRate(saved.flowCtrl);
    link.flags.displayHeld = 1;
    StepDeviceRate(BaudCode(saved.baudRate));
    RestoreLine(saved);
    link.flags.displayHeld = 0;
    Key(kCarriageReturn, kKeyGapMs);
}

void LibraryDownload::StepDeviceRate(int baudCode) {
    Keys(kBaudKeys, kKeyGapMs);
    Keys(std::string(static_cast<std::size_t>(baudCode), kBlank), kBlankGapMs);
    Key(kEscape, kKeyGapMs);
}

void LibraryDownload::ApplyLine(const LineSettings& line) {
    ComPortSettings& com = link.Record()->com;
    com.baudRate = line.baudRate;
    com.byteSize = line.byteSize;
    com.parity = line.parity;
    com.stopBits = line.stopBits;
    com.flowCtrl = line.flowCtrl;
}

// The started library talks at 9600 8N1; the flow control stays, XON/XOFF's flag goes for good.
void LibraryDownload::ReopenAtStartRate(std::uint8_t flowCtrl) {
    if (lineLost) {
        return; // the device is gone: nothing to talk to at any rate
    }
    ApplyLine({kStartBaudRate, 8, kParityNone, kStopOne, flowCtrl});
    link.Record()->line.comXonXoff = 0;
    if (link.Reconfigure()) {
        return; // a network line keeps its connection, and the server its device open
    }
    watch.reset();
    link.ClosePort();
    timer.Wait(kReopenPauseMs);
    (void)link.OpenPort(); // when it fails the keys are refused and the settings still go back
    Watch();
}

// The operator hears of the download with a device's port closed (a network line stays open); a
// port that does not come back at the PC's own settings is explained. After a hang-up only the
// settings go back, for the next opening.
void LibraryDownload::RestoreLine(const LineSettings& saved) {
    ApplyLine(saved);
    if (lineLost) {
        return;
    }
    if (link.Reconfigure()) {
        messages.ShowMessage(kDownloaded, "", MessageIcon::None);
        return;
    }
    watch.reset();
    link.ClosePort();
    messages.ShowMessage(kDownloaded, "", MessageIcon::None);
    if (!link.OpenPort()) {
        messages.ShowMessage(link.OpenFailureMessage(), kAppName, MessageIcon::Exclamation);
    }
    Watch();
}

void LibraryDownload::Keys(std::string_view keys, int waitMs) {
    for (const char key : keys) {
        Key(static_cast<std::uint8_t>(key), waitMs);
    }
}

// Once the link refuses a key (and has said why) the rest are not tried: the device cannot
// follow a sequence with a gap, and the operator needs to hear it only once.
void LibraryDownload::Key(std::uint8_t key, int waitMs) {
    if (keysRefused || lineLost) {
        return;
    }
    if (link.SendBytes(&key, 1) != 1) {
        keysRefused = true;
        return;
    }
    timer.Wait(waitMs);
}

} // namespace t8
