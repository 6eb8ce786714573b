// Which device the link opens: the run's device, the record's, the number's, and the stable
// name a reconnect found the device by.
#include "tests/support/TempFolder.h"

#include "link/DeviceChoice.h"
#include "link/PortMapping.h"

#include <gtest/gtest.h>

#include <fstream>

namespace t8::test {
namespace {

TEST(DeviceChoiceTest, TheRunsDeviceComesBeforeTheRecordsAndTheRecordsBeforeTheNumbers) {
    DeviceChoice choice;
    ComPortSettings com;
    com.comPort = 3;
    EXPECT_EQ(choice.Path(com), DevicePathForPort(3));
    EXPECT_EQ(choice.Name(com), "COM3");
    com.devicePath = "/dev/ttyACM0";
    EXPECT_EQ(choice.Path(com), "/dev/ttyACM0");
    EXPECT_EQ(choice.Name(com), "/dev/ttyACM0");
    choice.SetOverride("/dev/ttyUSB7");
    EXPECT_EQ(choice.Path(com), "/dev/ttyUSB7");
    EXPECT_EQ(choice.Name(com), "/dev/ttyUSB7");
    com.devicePath.clear();
    EXPECT_EQ(choice.Name(com), "/dev/ttyUSB7") << "a device named for the run has no number";
}

TEST(DeviceChoiceTest, AStableNameFromAReconnectHoldsOnlyWhileTheChoiceThatLedToItStands) {
    TempFolder dev;
    ASSERT_TRUE(dev.Ok());
    std::ofstream(dev.Path("ttyUSB1")) << "";
    dev.Link("by-id/usb-T8_Adapter-if00", "../ttyUSB1");
    const std::string stable = dev.Path("by-id/usb-T8_Adapter-if00");
    DeviceChoice choice;
    choice.SetStableNameFolder(dev.Path("by-id"));
    ComPortSettings com;
    com.devicePath = dev.Path("ttyUSB0");
    choice.Opened(com.devicePath);

    (void)choice.Reconnected(stable, com);
    EXPECT_EQ(choice.Path(com), stable);
    choice.SetOverride(dev.Path("ttyUSB5"));
    EXPECT_EQ(choice.Path(com), dev.Path("ttyUSB5")) << "another device chosen: that one counts";
    choice.SetOverride("");
    com.devicePath = dev.Path("ttyUSB2");
    EXPECT_EQ(choice.Path(com), dev.Path("ttyUSB2"));

    (void)choice.Reconnected(com.devicePath, com); // back where it was chosen: no stable name
    com.devicePath = dev.Path("ttyUSB0");
    EXPECT_EQ(choice.Path(com), dev.Path("ttyUSB0"));
}

} // namespace
} // namespace t8::test
