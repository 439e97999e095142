#pragma once
// Which HID interfaces belong to which device kind. A device's command interface and its
// notification interface are two rows of the device-type table.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

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

// ---- Device identity ----

// A copy of one device-type row as a device object and the main window's slot list keep
// it: the row's values, whether the interface is attached, and the interface's path.
struct DeviceIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t interfaceNumber = 0;
    std::uint16_t collectionNumber = 0;
    std::uint16_t kindCode = 0;
    std::uint16_t subKind = 0;
    std::uint16_t connected = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t companionFlag = 0;
    std::uint16_t companionRow = 0;
    std::string path;

    // Row r of the device-type table, not connected, with an empty path.
    static DeviceIdentity FromRow(const DeviceTypeRow& row);
    // Two identities name the same device when vendor id, product id, kind code and
    // sub-kind are equal; the other fields (path, connected flag, ...) do not count.
    bool SameDevice(const DeviceIdentity& other) const;
};

// ---- Kind page table: one row per device kind shown in the selector ----

struct KindPageRow {
    std::string_view entryLayout;     // the selector entry's layout
    std::string_view tabGroup;        // option group of the selector entries
    std::string_view powerContainer;  // tab layout holding the power panels
    std::string_view kindName;        // names the profile folder and default profile
    int deviceIndex;                  // handed to SetDeviceIndex
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint16_t kindCode;
    std::uint16_t subKind;
};

inline constexpr std::string_view kDeviceOptionLayout = "XML\\CustomControlXML\\DeviceOption.xml";
inline constexpr std::string_view kDeviceTabGroup = "tab_header_device";
inline constexpr std::string_view kDevicePowerContainer = "device_power_switch";

inline constexpr KindPageRow kKindPageRows[] = {
    {kDeviceOptionLayout, kDeviceTabGroup, kDevicePowerContainer, "mouse", 1, 0x0C45, 0x6656,
     kKindMouse, kSubKindCommand},
    {kDeviceOptionLayout, kDeviceTabGroup, kDevicePowerContainer, "keyboard", 0, 0, 0,
     kKindKeyboard, kSubKindCommand},
    {kDeviceOptionLayout, kDeviceTabGroup, kDevicePowerContainer, "MousePad", 2, 0, 0,
     kKindMousePad, kSubKindCommand},
    {kDeviceOptionLayout, kDeviceTabGroup, kDevicePowerContainer, "HD", 3, 0, 0, kKindHeadset,
     kSubKindCommand},
};
inline constexpr std::size_t kKindPageRowCount = std::size(kKindPageRows);

// The kind page row with these four values (kind 6 looks up as 2); -1 when none has them.
int FindKindPageRow(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t kindCode,
                    std::uint32_t subKind);
// The kind page row of device-type row `typeRow` with sub-kind `subKind`, as the main window
// looks it up when it builds a kind's page: kind 6 counts as 2, and a kind 6 row with a
// non-zero companion flag takes vendor and product id from its companion row. -1 when
// none matches or `typeRow` (or its companion) is outside the table.
int KindPageRowForType(std::size_t typeRow, std::uint32_t subKind);

// ---- Device page table: indexed by the kind page row ----

struct DevicePageRow {
    int ledCount;
    int keyCount;
    int powerState;  // initial power state
    int spare;       // handed to the device kind unchanged
    std::string_view pageLayout;
    std::string_view lightConfigStem;  // + ".config" names the kind's light configuration
};

inline constexpr DevicePageRow kDevicePageRows[] = {
    {8, 8, 0, -1, "XML\\DeviceXml\\mousedevice.xml", "velko_light"},
    {126, 126, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "velko_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "velko_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\ve6533device.xml", "velko_light"},
};
static_assert(std::size(kDevicePageRows) == kKindPageRowCount);
