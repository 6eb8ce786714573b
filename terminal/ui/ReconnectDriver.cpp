#include "terminal/ui/ReconnectDriver.h"

#include "link/Reconnector.h"
#include "link/SerialLink.h"

namespace t8 {

ReconnectDriver::ReconnectDriver(SerialLink& link_, std::function<void()> after_)
    : link(link_), after(std::move(after_)) {
    retry.setInterval(Reconnector::kRetryMs);
    QObject::connect(&retry, &QTimer::timeout, &retry, [this] {
        link.OnReconnectTimer();
        after();
    });
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

void ReconnectDriver::SetRetryTimer(bool on) {
    if (!on) {
        retry.stop();
    } else if (!retry.isActive()) {
        retry.start();
    }
}

} // namespace t8
