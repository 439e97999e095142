#pragma once
// CTavrinMouseDevice (Part 2.4): the mouse's device object. Its device behaviour joins
// with the mouse Part; for now it keeps the base behaviour of Part 2.3.
#include "device/TavrinUSBDevice.h"

class CTavrinMouseDevice : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinMouseDevice() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinUSBDevice"; }
};
