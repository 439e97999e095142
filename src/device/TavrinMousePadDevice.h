#pragma once
// CTavrinMousePadDevice: the mousepad's device object. Until its own device
// behaviour is written it keeps the base behaviour.
#include "device/TavrinUSBDevice.h"

class CTavrinMousePadDevice : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinMousePadDevice() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinMousePadDevice"; }
};
