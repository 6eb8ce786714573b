// termios2 lives in the kernel's headers, which clash with <termios.h>: this file uses only them.
#include "sim/pty/LineProbe.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace t8::sim {
namespace {

char ParityOf(tcflag_t cflag) {
    if ((cflag & PARENB) == 0) {
        return 'N';
    }
    if ((cflag & CMSPAR) != 0) {
        return (cflag & PARODD) != 0 ? 'M' : 'S';
    }
    return (cflag & PARODD) != 0 ? 'O' : 'E';
}

std::uint8_t DataBitsOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

} // namespace

std::optional<HostLine> ReadLineSettings(int fd) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return std::nullopt;
    }
    HostLine line;
    line.baudRate = settings.c_ospeed;
    line.dataBits = DataBitsOf(settings.c_cflag);
    line.parity = ParityOf(settings.c_cflag);
    line.stopBits = (settings.c_cflag & CSTOPB) != 0 ? 2 : 1;
    return line;
}

bool SetRawLine(int fd, std::uint32_t baudRate) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                               ICRNL | IXON | IXOFF | IXANY);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
    settings.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER;
    settings.c_ispeed = baudRate;
    settings.c_ospeed = baudRate;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

} // namespace t8::sim
