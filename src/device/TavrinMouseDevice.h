#pragma once
// CTavrinMouseDevice: the mouse's device object. Until its own device
// behaviour is written it keeps the base behaviour.
#include "device/TavrinUSBDevice.h"

class CTavrinMouseDevice : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinMouseDevice() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinUSBDevice"; }
};
