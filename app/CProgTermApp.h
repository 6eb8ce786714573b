#pragma once

#include "app/CProgTermDoc.h"
#include "app/CSplashWindow.h"
#include "app/CommandLine.h"
#include "batch/BatchFiles.h"
#include "link/AppName.h"

#include <QObject>

#include <memory>

namespace t8 {

class CMainFrame;
class CProgTermView;
class SettingsStore;

// The application: command line, settings location, the one frame, document and view, the
// splash, and the start-up batch memo.
class CProgTermApp : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kOrganisation = "TALLON Rodezedoraz";
    static constexpr const char* kApplication = kAppName;
    static constexpr const char* kWindowTitle = "HostLink V2.17";

    CProgTermApp();
    ~CProgTermApp() override;

    // Before any window: the exit status for --help, --version or a bad command line, else -1.
    static int HandleEarly(const CommandLine& line);
    // False when the program must end at once (the operator cancelled the named file).
    bool InitInstance(const CommandLine& line);
    // Opens a file as a document (command line, drops); false when the operator cancelled.
    bool OpenDocument(const QString& path);

    [[nodiscard]] CMainFrame* Frame() const { return frame.get(); }
    [[nodiscard]] CProgTermView* View() const { return view; }
    [[nodiscard]] CProgTermDoc& Document() { return doc; }
    [[nodiscard]] const StartupBatch& Batch() const { return startupBatch; }

private:
    void UpdateTitle();

    CProgTermDoc doc;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<CSplashWindow::Controller> splash;
    std::unique_ptr<CMainFrame> frame;
    CProgTermView* view = nullptr;
    StartupBatch startupBatch;
};

} // namespace t8
