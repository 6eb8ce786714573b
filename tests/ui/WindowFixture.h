#pragma once

#include "tests/support/PtyPair.h"

#include "app/CMainFrame.h"
#include "settings/SettingsStore.h"
#include "terminal/CProgTermView.h"

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace t8::test {

// Modal message boxes would stop the test; this answers each with its default button and
// remembers its text.
class ModalCloser {
public:
    ModalCloser() {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.push_back(box->text());
                box->done(QMessageBox::Ok);
            }
        });
        timer.start();
    }
    QStringList texts;

private:
    QTimer timer;
};

inline std::string RowText(ScreenModel& screen, int row, int length) {
    const auto cells = screen.Row(row);
    return std::string(cells.begin(), cells.begin() + std::min<long>(length, cells.size()));
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Create();
        Show();
    }
    // The frame with its view and the port open, not shown yet.
    void Create() {
        ASSERT_TRUE(pty.Ok());
        store = std::make_unique<SettingsStore>(dir.filePath("t8.ini"));
        frame = std::make_unique<CMainFrame>();
        view = new CProgTermView(*frame, doc, *store, frame.get());
        frame->setCentralWidget(view);
        QObject::connect(frame.get(), &CMainFrame::CommandTriggered, view,
                         &CProgTermView::OnCommand);
        frame->resize(800, 500);
        ASSERT_EQ(view->OnCreate(pty.SlavePath()), 0);
    }
    void Show() {
        frame->show();
        QApplication::setActiveWindow(frame.get());
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    // Lets the window take what the device sent until `done` holds.
    template <typename Done> bool WaitFor(Done done, int timeoutMs = 5000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            QTest::qWait(10);
        }
        return done();
    }

    QTemporaryDir dir;
    PtyPair pty;
    ModalCloser modals;
    CProgTermDoc doc;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<CMainFrame> frame;
    CProgTermView* view = nullptr;
};

} // namespace t8::test
