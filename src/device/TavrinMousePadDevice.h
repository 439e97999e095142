#pragma once
// CTavrinMousePadDevice (Part 2.5): the mousepad's device object. Its device behaviour joins
// with the mousepad Part; for now it keeps the base behaviour of Part 2.3.
#include "device/TavrinUSBDevice.h"

class CTavrinMousePadDevice : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinMousePadDevice() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinMousePadDevice"; }
};
