// The key-light ripple state: decay, mark, queue shift, clear.
#include <gtest/gtest.h>

#include <numeric>

#include "device/TavrinUSBDevice.h"

namespace {

std::vector<int> Decays(CTavrinUSBDevice& device, int key, int from, bool fine) {
    device.SetKeyLightIntensity(key, static_cast<std::uint8_t>(from));
    std::vector<int> values{from};
    while (device.GetKeyLightIntensity(key) != 0 && values.size() < 300) {
        device.KeyLightDecay(key, fine);
        values.push_back(device.GetKeyLightIntensity(key));
    }
    return values;
}

std::vector<int> Queue(const CTavrinUSBDevice& device) {
    std::vector<int> q;
    for (int i = 0; i <= static_cast<int>(kKeyLightQueueLength); ++i)
        q.push_back(device.GetKeyLightQueue(i));
    return q;  // the spare byte last
}

TEST(KeyLightRipple, CoarseDecayFrom255) {
    CTavrinUSBDevice device;
    EXPECT_EQ(Decays(device, 7, 255, false),
              (std::vector<int>{255, 215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0}));
}

TEST(KeyLightRipple, DecayBands) {
    struct Case {
        int from;
        bool fine;
        int to;
    };
    const Case cases[] = {{255, true, 215}, {128, false, 88}, {127, false, 97}, {64, false, 34},
                          {63, false, 53},  {32, false, 22},  {31, false, 23},  {17, false, 9},
                          {16, false, 12},  {16, true, 15},   {3, false, 0},    {1, true, 0},
                          {0, false, 0},    {0, true, 0}};
    CTavrinUSBDevice device;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << (c.fine ? " fine" : " coarse"));
        device.SetKeyLightIntensity(125, static_cast<std::uint8_t>(c.from));
        device.KeyLightDecay(125, c.fine);
        EXPECT_EQ(device.GetKeyLightIntensity(125), c.to);
    }
    // The fine decay ends in ones below 17.
    EXPECT_EQ(Decays(device, 3, 20, true),
              (std::vector<int>{20, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
}

TEST(KeyLightRipple, KeysOutsideTheTableChangeNothing) {
    CTavrinUSBDevice device;
    for (int key = 0; key < 126; ++key) device.SetKeyLightIntensity(key, 200);
    for (int key : {-1, 126, 255, 100000}) {
        device.KeyLightDecay(key, false);
        device.SetKeyLightIntensity(key, 1);
        EXPECT_EQ(device.GetKeyLightIntensity(key), 0);
    }
    for (int key = 0; key < 126; ++key) EXPECT_EQ(device.GetKeyLightIntensity(key), 200);
}

TEST(KeyLightRipple, MarkLightsTheKeysOfTheFirstNineEntries) {
    CTavrinUSBDevice device;
    const int entries[] = {5, 0, 130, 125, 1, 2, 3, 4, 7, 8, 9};
    for (int i = 0; i < 11; ++i) device.SetKeyLightQueue(i, static_cast<std::uint8_t>(entries[i]));
    device.KeyLightMark();
    for (int key = 0; key < 126; ++key) {
        const bool lit = key == 5 || key == 125 || (key >= 1 && key <= 4) || key == 7;
        EXPECT_EQ(device.GetKeyLightIntensity(key), lit ? 255 : 0) << key;
    }
}

TEST(KeyLightRipple, QueueShiftForwardTakesTheSpareByteIn) {
    CTavrinUSBDevice device;
    for (int i = 0; i < 23; ++i) device.SetKeyLightQueue(i, static_cast<std::uint8_t>(i + 1));
    device.SetKeyLightQueue(23, 99);
    device.KeyLightQueueShift(1);
    std::vector<int> expected{99};
    for (int i = 1; i <= 22; ++i) expected.push_back(i);
    expected.push_back(99);  // the spare byte keeps its value
    EXPECT_EQ(Queue(device), expected);
}

TEST(KeyLightRipple, QueueShiftBackwardPutsEntryZeroInTheSpareByte) {
    CTavrinUSBDevice device;
    for (int i = 0; i < 23; ++i) device.SetKeyLightQueue(i, static_cast<std::uint8_t>(i + 1));
    device.KeyLightQueueShift(0);
    std::vector<int> expected;
    for (int i = 2; i <= 23; ++i) expected.push_back(i);
    expected.push_back(23);  // the last entry stays
    expected.push_back(1);   // the spare byte
    EXPECT_EQ(Queue(device), expected);
}

TEST(KeyLightRipple, QueueShiftOverFewerPlaces) {
    CTavrinUSBDevice device;
    for (int i = 0; i < 23; ++i) device.SetKeyLightQueue(i, static_cast<std::uint8_t>(i + 1));
    device.SetKeyLightQueue(23, 50);
    device.KeyLightQueueShift(1, 8);
    std::vector<int> expected{50, 1, 2, 3, 4, 5, 6, 7};
    for (int i = 9; i <= 23; ++i) expected.push_back(i);
    expected.push_back(50);
    EXPECT_EQ(Queue(device), expected);
    device.KeyLightQueueShift(0, 100);  // more places than the queue has: the whole queue
    EXPECT_EQ(device.GetKeyLightQueue(23), 50);
    EXPECT_EQ(device.GetKeyLightQueue(22), 23);
    EXPECT_EQ(device.GetKeyLightQueue(21), 23);
}

TEST(KeyLightRipple, ClearZeroesEverything) {
    CTavrinUSBDevice device;
    for (int i = 0; i < 24; ++i) device.SetKeyLightQueue(i, 9);
    for (int key = 0; key < 126; ++key) device.SetKeyLightIntensity(key, 77);
    device.KeyLightClear();
    EXPECT_EQ(Queue(device), std::vector<int>(24, 0));
    for (int key = 0; key < 126; ++key) EXPECT_EQ(device.GetKeyLightIntensity(key), 0);
}

}  // namespace
