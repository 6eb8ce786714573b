// The port numbers of the settings against the devices they stand for, and the texts of the
// line's errors.
#include "link/PortMapping.h"
#include "link/CommError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace t8::test {
namespace {

TEST(PortMappingTest, NumbersMapToDevicesAndBack) {
    const std::pair<int, const char*> table[] = {{1, "/dev/ttyUSB0"}, {8, "/dev/ttyUSB7"},
                                                 {9, "/dev/ttyACM0"}, {16, "/dev/ttyACM7"},
                                                 {17, "/dev/ttyS0"},  {31, "/dev/ttyS14"}};
    for (const auto& [number, path] : table) {
        EXPECT_EQ(DevicePathForPort(number), path);
        EXPECT_EQ(PortForDevicePath(path), number);
    }
    for (int outside : {0, -1, 32, 300}) {
        EXPECT_EQ(DevicePathForPort(outside), "");
    }
    for (const char* foreign :
         {"/dev/ttyUSB8", "/dev/ttyS15", "/dev/ttyUSB", "/dev/ttyUSB1x", "/dev/pts/3", "ttyUSB0"}) {
        EXPECT_EQ(PortForDevicePath(foreign), 0) << foreign;
    }
}

TEST(CommErrorTest, TextAndHangUpClass) {
    EXPECT_EQ(FormatCommError(EIO), "<CE-5>");
    EXPECT_EQ(FormatCommError(-EIO), "<CE-5>");
    EXPECT_TRUE(IsHangUpError(EIO));
    EXPECT_TRUE(IsHangUpError(ENXIO));
    EXPECT_FALSE(IsHangUpError(EAGAIN));
}

} // namespace
} // namespace t8::test
