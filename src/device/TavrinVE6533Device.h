#pragma once
// CTavrinVE6533Device: the headset's device object. Until its own device
// behaviour is written it keeps the base behaviour.
#include "device/TavrinUSBDevice.h"

class CTavrinVE6533Device : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinVE6533Device() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinVE6533Device"; }
};
