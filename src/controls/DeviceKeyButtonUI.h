#pragma once
// One key or button of a device picture. Its light colour, reassignment mark and
// rectangle selection come with the key panels.
#include "ui/UIButton.h"

class CDeviceKeyButtonUI : public CButtonUI {
public:
    std::string_view GetClass() const override { return "DeviceKeyButtonUI"; }
};
