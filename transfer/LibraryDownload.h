#pragma once

#include "link/LineSettings.h"
#include "link/LineWatch.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace t8 {

class DownloadStream;
class FileChooser;
class SerialLink;
class TransferMessages;
class TransferProgress;
class TransferTimer;
struct DirectorySettings;

// Blanks that step the device's baud menu from 9600 to the PC's rate; 0 for a rate it lacks.
[[nodiscard]] int BaudCode(std::uint32_t baudRate);

// "Download library" (F9, "RL"): the file is reduced to its records below F800 and streamed;
// on request the library is then started with the device's key sequence, the device's rate
// stepped back to the PC's at 9600 baud. The waits keep their order and length but let the
// window paint (TransferTimer::Wait).
class LibraryDownload {
public:
    static constexpr int kAfterCommandMs = 220;
    static constexpr int kKeyGapMs = 110;
    static constexpr int kBlankGapMs = 120;
    static constexpr int kReopenPauseMs = 50;
    static constexpr std::uint32_t kStartBaudRate = 9600;
    static constexpr std::uint8_t kEscape = 0x1B;
    static constexpr std::uint8_t kCarriageReturn = 0x0D;

    static constexpr const char* kStartQuestion = "Do you wish to start library ?";
    static constexpr const char* kStartCaption = "Confirm";
    static constexpr const char* kDownloaded = "File downloaded successfully";
    static constexpr const char* kResetAdvice = "Now press RESET, then press ENTER on T8";
    static constexpr const char* kInternalError = "InternalError";
    static constexpr const char* kInternalErrorCaption = "LIBRARY UPLOAD";
    static constexpr const char* kPortClosed =
        "Cannot download a library: the port to the T8 is not open.\nOpen it with Port "
        "parameters (Ctrl+R), then try again.";
    // %u: the PC's rate, twice.
    static constexpr const char* kRateWarning =
        "The T8's baud rate menu has no %u baud. A library started after this download leaves "
        "the T8 at 9600 baud while the PC goes back to %u baud, and the two no longer "
        "understand each other.\nDownload the library anyway?";
    // %s: the library file.
    static constexpr const char* kNothingSent =
        "Nothing was downloaded: %s holds no Intel HEX records below address F800.";
    // The library's line in the operator's hang-up message.
    static constexpr const char* kCutShort =
        "The library download or its start sequence was cut short.";

    LibraryDownload(SerialLink& link, FileChooser& files, TransferMessages& messages,
                    TransferProgress& progress, TransferTimer& timer,
                    const DirectorySettings& dirs);
    LibraryDownload(const LibraryDownload&) = delete;
    LibraryDownload& operator=(const LibraryDownload&) = delete;

    void ReceiveLibraryCommand();
    // The next dialog starts from the library directory again.
    void ForgetLastPath() { lastLibraryPath.clear(); }
    [[nodiscard]] const std::string& LastLibraryPath() const { return lastLibraryPath; }
    // The command is under way (its dialogs and waits let the view's timer fire).
    [[nodiscard]] bool Running() const { return running; }

private:
    [[nodiscard]] std::optional<std::string> ChooseFile();
    // False when the operator declined a rate the device's menu cannot follow.
    [[nodiscard]] bool RateAccepted();
    [[nodiscard]] bool Stream(const std::string& path);
    [[nodiscard]] bool RunStream(DownloadStream& stream, const std::string& path);
    void StartLibrary();
    void StepDeviceRate(int baudCode);
    void ApplyLine(const LineSettings& line);
    void ReopenAtStartRate(std::uint8_t flowCtrl);
    void RestoreLine(const LineSettings& saved);
    // One key and its pause; nothing once the link refused a key or the line was lost.
    void Key(std::uint8_t key, int waitMs);
    void Keys(std::string_view keys, int waitMs);
    void Run(const std::string& path);
    void Watch();

    SerialLink& link;
    FileChooser& files;
    TransferMessages& messages;
    TransferProgress& progress;
    TransferTimer& timer;
    const DirectorySettings& dirs;
    std::string lastLibraryPath;
    bool running = false;
    bool keysRefused = false;
    bool lineLost = false;          // the device hung up while the command ran
    std::optional<LineWatch> watch; // held while the port is the command's to use
};

} // namespace t8
