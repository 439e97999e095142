#include <gtest/gtest.h>

#include "device/tables/DeviceTables.h"

namespace {

TEST(DeviceTables, OnlyTheMouseInterfacesMatch) {
    struct Case {
        const char* name;
        std::uint32_t vendor, product, interfaceNumber, collection, usagePage, usage;
        int row;
    };
    const Case cases[] = {
        {"mouse commands", 0x0C45, 0x6656, 1, 4, 0xFF1C, 0x0092, 2},
        {"mouse notifications", 0x0C45, 0x6656, 1, 3, 0x000C, 0x0001, 3},
        {"other collection", 0x0C45, 0x6656, 1, 2, 0xFF1C, 0x0092, -1},
        {"other interface", 0x0C45, 0x6656, 0, 4, 0xFF1C, 0x0092, -1},
        {"other usage page", 0x0C45, 0x6656, 1, 4, 0xFF00, 0x0092, -1},
        {"other usage", 0x0C45, 0x6656, 1, 3, 0x000C, 0x0002, -1},
        {"other product", 0x0C45, 0x6657, 1, 4, 0xFF1C, 0x0092, -1},
        // Rows of kinds without ids are placeholders, not wildcards.
        {"zero ids, keyboard shape", 0, 0, 1, 4, 0xFF1C, 0x0092, -1},
        {"zero ids, headset shape", 0, 0, 3, 0, 0x000C, 0x0001, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MatchDeviceType(c.vendor, c.product, c.interfaceNumber, c.collection, c.usagePage,
                                  c.usage),
                  c.row);
    }
}

}  // namespace
