#pragma once
// Plain records of the HID transport: what a top-level collection looks like, the
// identity carried by a device path, and the decoded usages of an input report.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kInfiniteTimeout = -1;

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0;
};

// One button field of an input report: a usage range, as bits (variable) or as an
// array of usage indexes (array fields, such as a consumer-control key).
struct HidButtonCap {
    std::uint8_t reportId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usageMin = 0;
    std::uint16_t usageMax = 0;
    bool isArray = false;
    std::uint32_t bitOffset = 0;  // from the first data bit after the report id
    std::uint32_t bitSize = 0;    // of one element
    std::uint32_t count = 0;      // elements
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
};

// One value usage of an input report (ranges are expanded, one cap per usage).
struct HidValueCap {
    std::uint8_t reportId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint32_t bitOffset = 0;
    std::uint32_t bitSize = 0;
    std::uint32_t count = 1;  // elements; past 1 the usage is a value array (first is decoded)
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    std::int32_t physicalMin = 0;
    std::int32_t physicalMax = 0;
};

// A top-level collection of a report descriptor, numbered from 1 in descriptor order.
// Report lengths count the report id byte, which is 0 for unnumbered reports.
struct HidCollectionCaps {
    std::uint32_t number = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::vector<std::uint8_t> inputReportIds;
    std::vector<std::uint8_t> outputReportIds;
    std::vector<std::uint8_t> featureReportIds;
    bool numberedReports = false;
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    std::uint16_t featureReportLength = 0;
    std::vector<HidButtonCap> inputButtons;
    std::vector<HidValueCap> inputValues;
};

// One decoded capability of the input report, buttons first, then values.
struct HidDataItem {
    std::uint8_t reportId = 0;
    std::uint16_t usagePage = 0;
    bool isButton = false;
    bool dataSet = false;  // filled by the last decode
    std::uint16_t usageMin = 0;
    std::uint16_t usageMax = 0;
    // Buttons: the pressed usages, then 0 when shorter than its room (one slot per element).
    std::vector<std::uint16_t> usages;
    std::uint16_t usage = 0;  // values
    std::uint32_t rawValue = 0;
    std::int32_t scaledValue = 0;
};

// The identity markers of a device path: hexadecimal digits after "vid_", "pid_",
// "&mi_" and "&col" (case-insensitive); 0 for an absent marker; low 16 bits for ids.
struct HidPathIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint32_t interfaceNumber = 0;
    std::uint32_t collectionNumber = 0;
};
HidPathIds ParseDevicePath(std::string_view path);
// The markers as backends write them: "#vid_0c45&pid_6656&mi_01&col04" (lower-case hex).
std::string FormatDevicePathIds(const HidPathIds& ids);
