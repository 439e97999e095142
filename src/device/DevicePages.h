#pragma once
// The device objects: each is at once a device page of the main window and the
// model of one device kind. Their device behaviour comes with the device classes.
#include "ui/UIContainer.h"

class CTavrinUSBDevice : public CHorizontalLayoutUI {
public:
    std::string_view GetClass() const override { return "TavrinUSBDeviceUI"; }
};
class CTavrinMouseDevice : public CTavrinUSBDevice {
public:
    std::string_view GetClass() const override { return "TavrinMouseDeviceUI"; }
};
class CTavrinKeyboardDevice : public CTavrinUSBDevice {
public:
    std::string_view GetClass() const override { return "TavrinKeyboardDeviceUI"; }
};
class CTavrinMousePadDevice : public CTavrinUSBDevice {
public:
    std::string_view GetClass() const override { return "TavrinMousePadDeviceUI"; }
};
class CTavrinVE6533Device : public CTavrinUSBDevice {
public:
    std::string_view GetClass() const override { return "TavrinVE6533DeviceUI"; }
};
