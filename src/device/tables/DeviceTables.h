#pragma once
// Which HID interfaces belong to which device kind. A device's command interface and its
// notification interface are two rows of the device-type table.
#include <cstddef>
#include <cstdint>
#include <span>

// Device kind codes.
inline constexpr std::uint16_t kKindKeyboard = 1;
inline constexpr std::uint16_t kKindMouse = 2;
inline constexpr std::uint16_t kKindMousePad = 3;
inline constexpr std::uint16_t kKindWirelessMouse = 6;  // a mouse on its wireless receiver
inline constexpr std::uint16_t kKindHeadset = 7;

// Sub-kinds: which of the device's channels an interface is opened as.
inline constexpr std::uint16_t kSubKindCommand = 0;
inline constexpr std::uint16_t kSubKindNotification = 255;

struct DeviceTypeRow {
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint16_t interfaceNumber;
    std::uint16_t collectionNumber;
    std::uint16_t kindCode;
    std::uint16_t subKind;
    std::uint16_t usagePage;
    std::uint16_t usage;
    // In wireless mode a non-zero flag takes the page tables' vendor and product id from
    // the companion row.
    std::uint16_t companionFlag;
    std::uint16_t companionRow;
};

// Only the mouse rows carry real ids; the others match no device.
inline constexpr DeviceTypeRow kDeviceTypeRows[] = {
    {0x0000, 0x0000, 1, 4, kKindKeyboard, kSubKindCommand, 0xFF1C, 0x0092, 0, 0},
    {0x0000, 0x0000, 1, 3, kKindKeyboard, kSubKindNotification, 0x000C, 0x0001, 0, 0},
    {0x0C45, 0x6656, 1, 4, kKindMouse, kSubKindCommand, 0xFF1C, 0x0092, 0, 0},
    {0x0C45, 0x6656, 1, 3, kKindMouse, kSubKindNotification, 0x000C, 0x0001, 0, 0},
    {0x0000, 0x0000, 1, 4, kKindMousePad, kSubKindCommand, 0xFF1C, 0x0092, 0, 0},
    {0x0000, 0x0000, 1, 3, kKindMousePad, kSubKindNotification, 0x000C, 0x0001, 0, 0},
    {0x0000, 0x0000, 3, 0, kKindHeadset, kSubKindCommand, 0x000C, 0x0001, 0, 0},
};
inline constexpr std::size_t kDeviceTypeRowCount = std::size(kDeviceTypeRows);

// The first row whose vendor, product, interface, collection, usage page and usage all
// equal the interface's; -1 when none does. Rows without ids never match.
int MatchDeviceType(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t interfaceNumber,
                    std::uint32_t collectionNumber, std::uint32_t usagePage, std::uint32_t usage);

// The kind page and device page tables join here with the device base class.
