#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace t8 {

// The file dialogs of the transfers: the file to send, to download as a library or to run as a
// batch, and the name a received file is saved under. Calls come on the user-interface thread.
class FileChooser {
public:
    FileChooser() = default;
    FileChooser(const FileChooser&) = delete;
    FileChooser& operator=(const FileChooser&) = delete;
    virtual ~FileChooser() = default;

    // `initialName` is a folder, a folder and a pattern ("/data/*.hex") or empty; `filter` is
    // "Name|patterns|Name|patterns||". Nothing when the operator cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& initialName,
                                                      const std::string& filter) = 0;
    // Why the last ChooseOpenFile gave nothing although the operator chose: a file dialog
    // error code (FileDialogError.h), or 0 when the operator cancelled.
    [[nodiscard]] virtual std::uint32_t LastDialogError() const = 0;
    // Asks before replacing an existing file.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& initialName,
                                                      const std::string& filter) = 0;
};

} // namespace t8
