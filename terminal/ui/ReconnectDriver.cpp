#include "terminal/ui/ReconnectDriver.h"

#include "link/ConnectAhead.h"
#include "link/Reconnector.h"
#include "link/SerialLink.h"

namespace t8 {

ReconnectDriver::ReconnectDriver(SerialLink& link_, ConnectAhead& connecting_, QObject& window_,
                                 std::function<void()> after_)
    : link(link_), connecting(connecting_), window(window_), after(std::move(after_)) {
    retry.setInterval(Reconnector::kRetryMs);
    QObject::connect(&retry, &QTimer::timeout, &retry, [this] { Retry(); });
    if (link.DeviceWatchFd() < 0) {
        return;
    }
    watch = std::make_unique<QSocketNotifier>(link.DeviceWatchFd(), QSocketNotifier::Read);
    QObject::connect(watch.get(), &QSocketNotifier::activated, watch.get(), [this] {
        link.OnDeviceEvent();
        after();
    });
}

ReconnectDriver::~ReconnectDriver() = default;

// The window outlives the driver: a try posted to it never reaches a driver that is gone.
void ReconnectDriver::Retry() {
    const std::string address = link.ReconnectDueAt();
    const bool waiting = !address.empty() && connecting.Start(address, [this] {
        QMetaObject::invokeMethod(
            &window, [this] { Retry(); }, Qt::QueuedConnection);
    });
    if (waiting) {
        return;
    }
    link.OnReconnectTimer();
    after();
}

void ReconnectDriver::SetRetryTimer(bool on) {
    if (!on) {
        retry.stop();
    } else if (!retry.isActive()) {
        retry.start();
    }
}

} // namespace t8
