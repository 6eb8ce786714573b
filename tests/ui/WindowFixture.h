#pragma once

#include "tests/support/PtyPair.h"
#include "tests/ui/ModalDriver.h"

#include "app/CMainFrame.h"
#include "app/CProgTermDoc.h"
#include "settings/SettingsStore.h"
#include "terminal/ui/CProgTermView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace t8::test {

// The main window with its view on a pty, the test playing the device on the master side.
// `modals` answers the modal windows the test's commands open; any other one fails the test.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Create();
        Show();
    }
    void TearDown() override {
        EXPECT_TRUE(modals.unexpected.isEmpty()) << modals.unexpected.join(", ").toStdString();
    }
    // The port the window is started on (--port).
    [[nodiscard]] virtual std::string PortAddress() { return pty.SlavePath(); }
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
        ASSERT_EQ(view->OnCreate(PortAddress()), 0);
    }
    void Show() {
        frame->show();
        QApplication::setActiveWindow(frame.get());
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    // How long a window test waits for what must happen: far beyond what a machine busy with
    // other work needs, since a wait that is met returns at once.
    static constexpr int kPatienceMs = 30000;

    // Lets the window run until `done` holds.
    static bool WaitFor(const std::function<bool()>& done, int timeoutMs = kPatienceMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            QTest::qWait(10);
        }
        return done();
    }
    // The first `length` characters of a row of the screen.
    [[nodiscard]] std::string RowText(int row, int length) const {
        return view->ScreenRow(row).substr(0, static_cast<std::size_t>(length));
    }
    // A value of the settings store the window reads at its start and writes as it goes.
    [[nodiscard]] QVariant Stored(const QString& key) const {
        return QSettings(dir.filePath("t8.ini"), QSettings::IniFormat).value(key);
    }
    void Store(const QString& key, const QVariant& value) {
        QSettings(dir.filePath("t8.ini"), QSettings::IniFormat).setValue(key, value);
    }
    // The screen as painted.
    [[nodiscard]] QImage Painted() const {
        QImage page(view->viewport()->size(), QImage::Format_RGB32);
        QPainter painter(&page);
        view->PaintScreen(painter, page.rect());
        return page;
    }
    // A file of the test's folder; its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    QTemporaryDir dir;
    PtyPair pty;
    ModalDriver modals;
    CProgTermDoc doc;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<CMainFrame> frame;
    CProgTermView* view = nullptr;
};

using WindowTest = WindowFixture;

} // namespace t8::test
