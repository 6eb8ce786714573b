#pragma once

#include "tests/support/LinkTestSupport.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TempFolder.h"

#include "link/SerialLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <poll.h>
#include <string>

namespace t8::test {

// A link on the slave side of a pty, dispatched on the test's thread as the window would.
class PtyLinkTest : public ::testing::Test {
protected:
    PtyLinkTest() : link(ui, target) {}

    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        ASSERT_EQ(link.CreateLinkRecord(), 1);
        link.Record()->com.devicePath = pty.SlavePath();
    }

    // Dispatches on this thread, as the window would, until `count` screen bytes arrived.
    std::string ScreenFor(std::size_t count, int timeoutMs = 5000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            const int seen = ui.Wakes();
            link.DispatchReceived();
            if (target.All('s').size() >= count) {
                break;
            }
            ui.WaitForWake(seen, 100);
        }
        return target.All('s');
    }

    // The window's loop, received blocks and device events, until `done` or five seconds.
    bool Serve(const std::function<bool()>& done) {
        for (int i = 0; i < 100 && !done(); ++i) {
            link.DispatchReceived();
            pollfd watch{link.DeviceWatchFd(), POLLIN, 0};
            if (::poll(&watch, 1, 50) == 1) {
                link.OnDeviceEvent();
            }
        }
        return done();
    }
    // The adapter, open as dev/ttyUSB0 behind a stable name, is unplugged: both names go.
    void UnplugTheAdapterBehindItsStableName(TempFolder& dev) {
        dev.Link("ttyUSB0", pty.SlavePath());
        dev.Link("by-id/usb-T8_Adapter-if00", "../ttyUSB0");
        link.SetStableNameFolder(dev.Path("by-id"));
        link.Record()->com.devicePath = dev.Path("ttyUSB0");
        ASSERT_NE(link.OpenPort(), 0);
        EXPECT_EQ(link.Identity().byIdLink, dev.Path("by-id/usb-T8_Adapter-if00"));
        pty.CloseMaster();
        dev.Remove("by-id");
        dev.Remove("ttyUSB0");
        ASSERT_TRUE(Serve([&] { return link.AwaitingDevice(); }));
    }

    PtyPair pty;
    RecordingUi ui;
    RecordingTarget target;
    SerialLink link;
};

} // namespace t8::test
