#pragma once
// CTavrinVE6533Device (Part 2.7): the headset's device object. Its device behaviour joins
// with the headset Part; for now it keeps the base behaviour of Part 2.3.
#include "device/TavrinUSBDevice.h"

class CTavrinVE6533Device : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinVE6533Device() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinVE6533Device"; }
};
