#include "tools/t8batch/HeadlessTerminal.h"

namespace t8 {

HeadlessTerminal::HeadlessTerminal(LinkUi& linkUi, const HostRoles& host,
                                   SerialLink::PortFactory factory)
    : link(linkUi, *this, std::move(factory)) {
    const TransferRoles roles{unattended, host.messages, host.progress, host.timer, unattended};
    transfers = std::make_unique<TransferController>(
        link, roles, desk, dirs, [this](std::uint8_t c) { return keys->TypeKey(c); });
    keys = std::make_unique<KeyTyper>(link, *transfers);
}

HeadlessTerminal::~HeadlessTerminal() {
    link.DestroyLinkRecord(); // closes the port while the screen and transfers still exist
}

bool HeadlessTerminal::CreateRecord(const SerialLink::RecordHook& load) {
    link.SetHooks({load, {}, {}}); // never saved: a run leaves the operator's settings alone
    if (link.CreateLinkRecord() < 0) {
        return false;
    }
    screen = std::make_unique<ScreenModel>(*link.Record(), link.flags, *this);
    return true;
}

bool HeadlessTerminal::Connected() const {
    const TTYInfo* tty = link.Record();
    return tty != nullptr && tty->line.connected != 0;
}

void HeadlessTerminal::FeedReceive(const std::uint8_t* bytes, std::size_t count) {
    if (receiveData) {
        receiveData(bytes, count);
    }
    transfers->FeedReceive(bytes, count);
}

void HeadlessTerminal::ProcessScreen(const std::uint8_t* bytes, std::size_t count) {
    if (deviceText && !wrapping && !link.ShowingNotice()) {
        deviceText(bytes, count);
    }
    if (screen) {
        screen->Process(bytes, count);
    }
}

void HeadlessTerminal::ReinjectLineFeed(std::size_t shown) {
    wrapping = true;
    link.ShowWrapLineFeed(shown);
    wrapping = false;
}

} // namespace t8
