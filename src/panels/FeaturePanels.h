#pragma once
// The feature panels of a device page. Each is a vertical layout that binds its
// controls by name; their editors come with the device pages that use them.
#include "ui/UIContainer.h"

class CMpDevicePowerUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "MpDevicePowerUI"; }
};
class CLightControlUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "LightControlUI"; }
};
class CMacroControlUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "MacroControlUI"; }
};
class CKeySetControlUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "KeySetControlUI"; }
};
class CDeviceProfileUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "DeviceProfileUI"; }
};
class CShootControlUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "ShootControlUI"; }
};
class CMagicControlUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "MagicControlUI"; }
};
class CVoice6533ControlUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "Voice6533ControlUI"; }
};
