#include "device/tables/DeviceTables.h"

int MatchDeviceType(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t interfaceNumber,
                    std::uint32_t collectionNumber, std::uint32_t usagePage, std::uint32_t usage) {
    for (std::size_t i = 0; i < kDeviceTypeRowCount; ++i) {
        const DeviceTypeRow& row = kDeviceTypeRows[i];
        // A zero id is a placeholder for a kind not sold yet, not a wildcard.
        if (row.vendorId == 0 && row.productId == 0) continue;
        if (row.vendorId == vendorId && row.productId == productId &&
            row.interfaceNumber == interfaceNumber && row.collectionNumber == collectionNumber &&
            row.usagePage == usagePage && row.usage == usage)
            return static_cast<int>(i);
    }
    return -1;
}
