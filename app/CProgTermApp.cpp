#include "app/CProgTermApp.h"

#include "app/AboutBox.h"
#include "app/CMainFrame.h"
#include "app/ScreenFit.h"
#include "generated/ProjectVersion.h"
#include "settings/SettingsStore.h"
#include "terminal/ui/CProgTermView.h"

#include <QApplication>
#include <QMessageBox>

#include <clocale>
#include <cstdio>
#include <string_view>

namespace t8 {

// The About box keeps its own text; a release that changes major.minor must change it too.
static_assert(std::string_view(AboutBox::kVersionText).ends_with(kProjectVersionMajorMinor),
              "the About box names another release than the project version");

CProgTermApp::CProgTermApp() = default;

CProgTermApp::~CProgTermApp() {
    frame.reset(); // the view saves the settings and closes the port on its way out
}

int CProgTermApp::HandleEarly(const CommandLine& line) {
    if (!line.error.empty()) {
        std::fprintf(stderr, "t8hostlink: %s\n\n%s", line.error.c_str(),
                     CommandLineUsage().c_str());
        return 2;
    }
    if (line.help) {
        std::printf("%s", CommandLineUsage().c_str());
        return 0;
    }
    if (line.version) {
        std::printf("t8hostlink %s\n", kProjectVersion);
        return 0;
    }
    return -1;
}

bool CProgTermApp::InitInstance(const CommandLine& line) {
    std::setlocale(LC_ALL, "");
    // No display name: the platform would append it to every caption.
    QCoreApplication::setOrganizationName(kOrganisation);
    QCoreApplication::setApplicationName(kApplication);

    splash = std::make_unique<CSplashWindow::Controller>();
    splash->EnableSplashScreen(line.showSplash);
    store = std::make_unique<SettingsStore>();

    frame = std::make_unique<CMainFrame>();
    PlaceOnScreen(*frame, {800, 560});
    splash->ShowSplashScreen(frame.get());
    view = new CProgTermView(*frame, doc, *store, frame.get());
    frame->setCentralWidget(view);
    connect(frame.get(), &CMainFrame::CommandTriggered, view, &CProgTermView::OnCommand);
    connect(frame.get(), &CMainFrame::FileDropped, this, &CProgTermApp::OpenDocument);
    doc.SetTitleObserver([this] { UpdateTitle(); });
    view->AllowReconnect(line.reconnect);
    view->OnCreate(line.port);

    if (!line.file.empty()) {
        if (!OpenDocument(QString::fromStdString(line.file))) {
            return false; // cancelled at start-up: the program ends without a window
        }
        // Armed only once the file was accepted: the countdown runs while a question about
        // the file may still be open, and must never start a batch under it or after a Cancel.
        startupBatch = RememberStartupBatch(line.file);
        view->SetStartupBatch(startupBatch);
    } else {
        doc.OnNewDocument();
    }
    UpdateTitle();
    frame->show();
    view->setFocus();
    return true;
}

bool CProgTermApp::OpenDocument(const QString& path) {
    const bool opened = doc.OnOpenDocument(path.toStdString(), [this](const std::string& text) {
        QMessageBox box(QMessageBox::Question, "Confirm", QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        frame && frame->isVisible() ? frame.get() : nullptr);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return CProgTermDoc::Answer::Download;
        case QMessageBox::No:
            return CProgTermDoc::Answer::Examine;
        default:
            return CProgTermDoc::Answer::Cancel;
        }
    });
    return opened;
}

void CProgTermApp::UpdateTitle() {
    if (frame) {
        frame->setWindowTitle(QString::fromStdString(doc.Title()) + " - " + kWindowTitle);
    }
}

} // namespace t8
