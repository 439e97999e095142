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

DeviceIdentity DeviceIdentity::FromRow(const DeviceTypeRow& row) {
    DeviceIdentity identity;
    identity.vendorId = row.vendorId;
    identity.productId = row.productId;
    identity.interfaceNumber = row.interfaceNumber;
    identity.collectionNumber = row.collectionNumber;
    identity.kindCode = row.kindCode;
    identity.subKind = row.subKind;
    identity.usagePage = row.usagePage;
    identity.usage = row.usage;
    identity.companionFlag = row.companionFlag;
    identity.companionRow = row.companionRow;
    return identity;
}

bool DeviceIdentity::SameDevice(const DeviceIdentity& other) const {
    return vendorId == other.vendorId && productId == other.productId &&
           kindCode == other.kindCode && subKind == other.subKind;
}

int FindKindPageRow(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t kindCode,
                    std::uint32_t subKind) {
    if (kindCode == kKindWirelessMouse) kindCode = kKindMouse;
    for (std::size_t i = 0; i < kKindPageRowCount; ++i) {
        const KindPageRow& row = kKindPageRows[i];
        if (row.vendorId == vendorId && row.productId == productId && row.kindCode == kindCode &&
            row.subKind == subKind)
            return static_cast<int>(i);
    }
    return -1;
}

int KindPageRowForType(std::size_t typeRow, std::uint32_t subKind) {
    if (typeRow >= kDeviceTypeRowCount) return -1;
    const DeviceTypeRow& row = kDeviceTypeRows[typeRow];
    const DeviceTypeRow* ids = &row;
    if (row.kindCode == kKindWirelessMouse && row.companionFlag != 0) {
        if (row.companionRow >= kDeviceTypeRowCount) return -1;
        ids = &kDeviceTypeRows[row.companionRow];
    }
    return FindKindPageRow(ids->vendorId, ids->productId, row.kindCode, subKind);
}
