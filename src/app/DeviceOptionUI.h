#pragma once
// One entry of the device selector; filled in with device discovery.
#include "ui/UIContainer.h"

class CDeviceOptionUI : public CHorizontalLayoutUI {
public:
    std::string_view GetClass() const override { return "DeviceOptionUI"; }
};
