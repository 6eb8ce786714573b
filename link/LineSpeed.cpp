#include "link/LineSpeed.h"

#include "link/LineFrame.h"

#include <asm/termbits.h>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>

namespace t8 {

static_assert(sizeof(termios2) <= sizeof(SavedLine::raw));

namespace {

bool Get(int fd, termios2& tio) {
    return ::ioctl(fd, TCGETS2, &tio) == 0;
}

bool FrameIsValid(const LineSettings& s) {
    return FrameProblem(s).empty();
}

tcflag_t SizeFlag(std::uint8_t byteSize) {
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(std::uint8_t parity) {
    switch (parity) {
    case kParityOdd:
        return PARENB | PARODD;
    case kParityEven:
        return PARENB;
    case kParityMark:
        return PARENB | CMSPAR | PARODD;
    case kParitySpace:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

void MakeRaw(termios2& tio) {
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS |
                                          CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

} // namespace

FrameFlags ComposeFrame(const LineSettings& s) {
    FrameFlags frame;
    frame.cflag = SizeFlag(s.byteSize) | ParityFlags(s.parity);
    frame.cflag |= (s.stopBits != kStopOne) ? CSTOPB : 0;
    frame.cflag |= (s.flowCtrl & kFlowRtsCts) ? CRTSCTS : 0;
    frame.iflag = (s.parity != kParityNone) ? INPCK : 0;
    // Input flow control is the driver's: it sends XOFF when our queue fills. Output flow
    // control is the reader's, which must also see the XON/XOFF bytes (the driver would eat them).
    frame.iflag |= (s.flowCtrl & kFlowXonXoff) ? IXOFF : 0;
    return frame;
}

bool SaveLineSettings(int fd, SavedLine& saved) {
    termios2 tio{};
    if (!Get(fd, tio)) {
        return false;
    }
    std::memcpy(saved.raw, &tio, sizeof tio);
    return true;
}

void RestoreLineSettings(int fd, const SavedLine& saved) {
    termios2 tio{};
    std::memcpy(&tio, saved.raw, sizeof tio);
    ::ioctl(fd, TCSETS2, &tio);
}

int ApplyLineSettings(int fd, const LineSettings& s) {
    if (!FrameIsValid(s)) {
        return EINVAL;
    }
    termios2 tio{};
    if (!Get(fd, tio)) {
        return errno;
    }
    MakeRaw(tio);
    const FrameFlags frame = ComposeFrame(s);
    tio.c_cflag |= frame.cflag;
    tio.c_iflag |= frame.iflag;
    tio.c_cc[VSTART] = kXonChar;
    tio.c_cc[VSTOP] = kXoffChar;
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = s.baudRate;
    tio.c_ospeed = s.baudRate;
    if (::ioctl(fd, TCSETS2, &tio) != 0) {
        return errno;
    }
    ::ioctl(fd, TCFLSH, TCIOFLUSH);
    return 0;
}

bool ReadLineSettings(int fd, LineSettings& s) {
    termios2 tio{};
    if (!Get(fd, tio)) {
        return false;
    }
    s.baudRate = tio.c_ospeed;
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        s.byteSize = 5;
        break;
    case CS6:
        s.byteSize = 6;
        break;
    case CS7:
        s.byteSize = 7;
        break;
    default:
        s.byteSize = 8;
        break;
    }
    const tcflag_t parity = tio.c_cflag & (PARENB | PARODD | CMSPAR);
    s.parity = kParityNone;
    for (std::uint8_t code = kParityOdd; code <= kParitySpace; ++code) {
        if (parity == ParityFlags(code)) {
            s.parity = code;
        }
    }
    s.stopBits = (tio.c_cflag & CSTOPB) ? (s.byteSize == 5 ? kStopOneAndHalf : kStopTwo) : kStopOne;
    s.flowCtrl = 0;
    s.flowCtrl |= (tio.c_cflag & CRTSCTS) ? kFlowRtsCts : 0;
    s.flowCtrl |= (tio.c_iflag & (IXON | IXOFF)) ? kFlowXonXoff : 0;
    return true;
}

} // namespace t8
