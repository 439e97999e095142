#pragma once
// CTavrinKeyboardDevice (Part 2.6): the keyboard's device object. Its device behaviour joins
// with the keyboard Part; for now it keeps the base behaviour of Part 2.3.
#include "device/TavrinUSBDevice.h"

class CTavrinKeyboardDevice : public CTavrinUSBDevice {
public:
    using CTavrinUSBDevice::CTavrinUSBDevice;
    ~CTavrinKeyboardDevice() override { StopThreads(); }
    std::string_view GetClass() const override { return "TavrinKeyboardDevice"; }
};
