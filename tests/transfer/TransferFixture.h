#pragma once

#include "tests/transfer/TransferHarness.h"

#include <gtest/gtest.h>

#include <string_view>

namespace t8::test {

using Log = std::vector<std::string>;
using Pieces = std::vector<std::pair<int, std::size_t>>; // dialog tick, bytes the port took

// Notes the dialog tick of every piece and reports the driver queue the test sets.
class TickedPort : public FakePort {
public:
    TickedPort(State& shared, const ScriptedUi& ui_) : FakePort(shared), ui(ui_) {}
    [[nodiscard]] std::size_t OutputQueued() const override { return queued; }
    WriteResult Write(const std::uint8_t* bytes, std::size_t count, std::uint32_t ms) override {
        return Note(FakePort::Write(bytes, count, ms));
    }
    WriteResult WriteAvailable(const std::uint8_t* bytes, std::size_t count) override {
        return Note(FakePort::WriteAvailable(bytes, count));
    }
    Pieces pieces;
    const ScriptedUi& ui;
    std::size_t queued = 0;

private:
    WriteResult Note(const WriteResult& result) {
        if (ui.inDialog) {
            pieces.emplace_back(ui.ticks, result.written);
        }
        return result;
    }
};

// The transfers over a fake line whose input, hang-ups and write outcomes the test sets.
class TransferTest : public ::testing::Test {
protected:
    TransferTest()
        : rig([this](const std::string&) {
              auto made = std::make_unique<TickedPort>(state, rig.ui);
              port = made.get();
              return made;
          }) {
        rig.link.Record()->com.devicePath = "/dev/fake";
        rig.link.OpenPort();
        rig.ui.trace = &state.written;
    }
    // The device sends `bytes` through the reader; the window dispatches them.
    void Deliver(std::string_view bytes) {
        const int seen = rig.linkUi.Wakes();
        FakePort::Deliver(state, bytes);
        ASSERT_TRUE(rig.linkUi.WaitForWake(seen, kWakeWaitMs));
        rig.link.DispatchReceived();
    }
    // The device hangs up; the reader notices and the window dispatches, as its loop would.
    void HangUp() {
        const int seen = rig.linkUi.Wakes();
        FakePort::HangUp(state);
        ASSERT_TRUE(rig.linkUi.WaitForWake(seen, kWakeWaitMs));
        rig.link.DispatchReceived();
    }
    // Plugs the device back in.
    void Reconnect() {
        FakePort::HangUp(state, false);
        ASSERT_NE(rig.link.OpenPort(), 0);
    }

    static constexpr int kWakeWaitMs = 5000;
    FakePort::State state;
    TickedPort* port = nullptr; // gone once the port is closed
    TransferRig rig;
};

} // namespace t8::test
