#pragma once
// CTavrinKeyboardDevice: the keyboard's device object. Until its own device
// behaviour is written it keeps the base behaviour.
#include "device/TavrinUSBDevice.h"

class CTavrinKeyboardDevice : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinKeyboardDevice() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinKeyboardDevice"; }
};
