#include <gtest/gtest.h>

#include "device/hid/HidTypes.h"

namespace {

struct PathCase {
    std::string path;
    HidPathIds expected;
};

TEST(DevicePath, ReadsTheIdentityMarkers) {
    const std::string longPrefix(260, 'x');
    const PathCase cases[] = {
        {"/dev/hidraw3#vid_0c45&pid_6656&mi_01&col04", {0x0C45, 0x6656, 1, 4}},
        {"\\\\?\\HID#VID_0C45&PID_6656&MI_01&COL04#7&2a1b&0&0003#{4d1e55b2}",
         {0x0C45, 0x6656, 1, 4}},
        {"vhid:mouse#vid_0c45&pid_6656&mi_01", {0x0C45, 0x6656, 1, 0}},
        {"/dev/hidraw0#vid_046d&pid_c077", {0x046D, 0xC077, 0, 0}},
        {"no markers at all", {0, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"vid_", {0, 0, 0, 0}},
        {"vid_12345&pid_fffff", {0x2345, 0xFFFF, 0, 0}},  // only the low 16 bits count
        {"&col1a&mi_0f", {0, 0, 0x0F, 0x1A}},
        {"/dev/" + longPrefix + "#vid_0c45&pid_6656&mi_01&col04", {0x0C45, 0x6656, 1, 4}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        const HidPathIds ids = ParseDevicePath(c.path);
        EXPECT_EQ(ids.vendorId, c.expected.vendorId);
        EXPECT_EQ(ids.productId, c.expected.productId);
        EXPECT_EQ(ids.interfaceNumber, c.expected.interfaceNumber);
        EXPECT_EQ(ids.collectionNumber, c.expected.collectionNumber);
    }
}

TEST(DevicePath, WrittenMarkersReadBack) {
    const HidPathIds ids{0x0C45, 0x6656, 1, 4};
    const std::string markers = FormatDevicePathIds(ids);
    EXPECT_EQ(markers, "#vid_0c45&pid_6656&mi_01&col04");
    const HidPathIds back = ParseDevicePath("/dev/hidraw1" + markers);
    EXPECT_EQ(back.vendorId, ids.vendorId);
    EXPECT_EQ(back.productId, ids.productId);
    EXPECT_EQ(back.interfaceNumber, ids.interfaceNumber);
    EXPECT_EQ(back.collectionNumber, ids.collectionNumber);
}

}  // namespace
