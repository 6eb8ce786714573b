#pragma once

#include "tests/support/LinkTestSupport.h"
#include "tests/support/TempFolder.h"

#include "app/CProgTermDoc.h"
#include "link/SerialLink.h"
#include "settings/DirectorySettings.h"
#include "terminal/KeyTyper.h"
#include "terminal/ScreenModel.h"
#include "transfer/DownloadStream.h"
#include "transfer/TransferController.h"
#include "transfer/TransferRoles.h"
#include "transfer/UploadProgress.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace t8::test {

// Plays every role of the window: records what the transfers ask of it, one entry a call, and
// runs the dialogs as their modal loops do: a tick per period until the logic ends. `pause`
// lets real time pass between ticks where a device is on the line.
class ScriptedUi : public FileChooser,
                   public TransferMessages,
                   public TransferProgress,
                   public TransferTimer,
                   public WindowHandOffs {
public:
    [[nodiscard]] TransferRoles Roles() { return {*this, *this, *this, *this, *this}; }

    std::optional<std::string> ChooseOpenFile(const std::string& name,
                                              const std::string&) override {
        return Answer("open " + name);
    }
    std::optional<std::string> ChooseSaveFile(const std::string& name,
                                              const std::string&) override {
        return Answer("save " + name);
    }
    void SetPromptText(const std::string& text) override { log.push_back("prompt " + text); }
    void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
        log.push_back("message " + text);
    }
    bool AskOkCancel(const std::string& text, const std::string&) override {
        log.push_back("ask " + text);
        return confirm;
    }
    [[nodiscard]] std::uint32_t LastDialogError() const override { return dialogError; }
    int RunDownloadDialog(DownloadStream& stream) override {
        download = &stream;
        const int result = Run(stream, DownloadStream::kTickMs);
        downloadEnd = stream.SentText() + " " + std::to_string(stream.Percent()) + "% " +
                      stream.RateText() + " " + stream.ScratchPath();
        download = nullptr;
        return result;
    }
    int RunUploadDialog(UploadProgress& progress) override {
        upload = &progress;
        const int result = Run(progress, UploadProgress::kTickMs);
        upload = nullptr;
        log.push_back(progress.BytesText() + "|" + progress.FormatText() + "|" +
                      progress.StatusText());
        return result;
    }
    void OpenExamine(const std::string& path, bool withRecord) override {
        log.push_back("examine " + path + (withRecord ? " +record" : ""));
    }
    void RunBatch(const std::string& path, BatchTerminal&) override {
        log.push_back("batch " + path);
    }
    void StartViewTimer() override { timerRunning = true; }
    void StopViewTimer() override { timerRunning = false; }
    void Wait(int ms) override {
        if (trace != nullptr) {
            *trace += "<" + std::to_string(ms) + ">";
        }
        if (pause) {
            pause(ms);
        }
    }

    std::vector<std::string> log;
    std::vector<std::optional<std::string>> answers; // for the file dialogs, in turn
    std::size_t nextAnswer = 0;
    std::function<void(int tick)> beforeTick; // before each dialog tick
    std::function<void(int ms)> pause;
    std::string* trace = nullptr;       // where the port records, to place the waits
    DownloadStream* download = nullptr; // the running stream, for Cancel
    UploadProgress* upload = nullptr;   // the running receive, for Cancel and Stop
    std::string downloadEnd;            // the last stream's texts, bar and scratch file
    bool timerRunning = true;
    bool confirm = true;           // the answer to every OK/Cancel question
    std::uint32_t dialogError = 0; // what a file dialog that gave nothing reports
    bool inDialog = false;
    int ticks = 0; // dialog ticks so far, both dialogs
    int maxTicks = 2000;

private:
    std::optional<std::string> Answer(std::string call) {
        log.push_back(std::move(call));
        return nextAnswer < answers.size() ? answers[nextAnswer++] : std::nullopt;
    }
    template <typename Logic> int Run(Logic& logic, int periodMs) {
        inDialog = true;
        for (int tick = 0; logic.Result() == 0 && tick < maxTicks; ++tick, ++ticks) {
            if (pause) {
                pause(periodMs);
            }
            if (beforeTick) {
                beforeTick(tick);
            }
            if constexpr (std::is_same_v<Logic, DownloadStream>) {
                logic.Tick(static_cast<std::uint64_t>(ticks) * periodMs);
            } else {
                logic.Tick();
            }
        }
        inDialog = false;
        return logic.Result() == 0 ? kDialogCancelled : logic.Result();
    }
};

// The view's wiring around the transfers: received blocks to the receive or the screen, the
// screen's prompt characters to the transfers, typed keys through the real KeyTyper.
struct TransferRig : ReceiveTarget, ScreenHost {
    explicit TransferRig(SerialLink::PortFactory factory = {})
        : link(linkUi, *this, std::move(factory)) {
        link.CreateLinkRecord();
        screen = std::make_unique<ScreenModel>(*link.Record(), link.flags, *this);
        transfers = std::make_unique<TransferController>(
            link, ui.Roles(), doc, dirs, [this](std::uint8_t c) { return keys->TypeKey(c); });
        keys = std::make_unique<KeyTyper>(link, *transfers);
        dirs.downloadDirectory = dirs.uploadDirectory = folder;
    }

    void AppendCapture(const std::uint8_t*, std::size_t) override {}
    void FeedReceive(const std::uint8_t* bytes, std::size_t count) override {
        transfers->FeedReceive(bytes, count);
    }
    void ProcessScreen(const std::uint8_t* bytes, std::size_t count) override {
        screenText.append(reinterpret_cast<const char*>(bytes), count);
        screen->Process(bytes, count);
    }
    void Beep() override {}
    void ReinjectLineFeed(std::size_t shown) override { link.ShowWrapLineFeed(shown); }
    void PromptCharacter(std::uint8_t byte) override { transfers->PromptCharacter(byte); }
    void PromptBackspace() override { transfers->PromptBackspace(); }

    void Shown(std::string_view text) {
        link.ShowReceived(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    void Type(std::string_view text) {
        for (const char c : text) {
            keys->TypeKey(static_cast<std::uint8_t>(c));
        }
    }
    std::string MakeFile(const std::string& name, const std::string& bytes) const {
        const std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    RecordingUi linkUi;
    SerialLink link;
    ScriptedUi ui;
    CProgTermDoc doc;
    DirectorySettings dirs;
    std::unique_ptr<ScreenModel> screen;
    std::unique_ptr<TransferController> transfers;
    std::unique_ptr<KeyTyper> keys;
    TempFolder temp;
    std::string folder = temp.Root();
    std::string screenText; // everything the screen was given, in order
};

} // namespace t8::test
