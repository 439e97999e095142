#include "app/ControlRegistry.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>

#include "app/DeviceOptionUI.h"
#include "controls/CircleProgressUI.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/HostControls.h"
#include "controls/RedioMacroButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "device/TavrinKeyboardDevice.h"
#include "device/TavrinMouseDevice.h"
#include "device/TavrinMousePadDevice.h"
#include "device/TavrinUSBDevice.h"
#include "device/TavrinVE6533Device.h"
#include "panels/FeaturePanels.h"
#include "ui/UIBuilder.h"
#include "update/UpdateListItems.h"

namespace {

template <class T>
std::unique_ptr<CControlUI> Make() {
    return std::make_unique<T>();
}

struct ClassRow {
    std::string_view name;
    ControlCreator creator;
};

// The factory table: these names work in every layout, also in nested layouts
// built without a callback.
const std::vector<ClassRow>& ClassRows() {
    static const std::vector<ClassRow> rows = {
        {"CCircleProgressUI", Make<CCircleProgressUI>},
        {"CChartViewUI", Make<CChartViewUI>},
        {"CWndUI", Make<CWndUI>},
        {"CSelectPanelUI", Make<CSelectPanelUI>},
        {"CDeviceKeyButtonUI", Make<CDeviceKeyButtonUI>},
        {"CCloudShareListItemUI", Make<CCloudShareListItemUI>},
        {"CUpdateInfoListItemUI", Make<CUpdateInfoListItemUI>},
        {"CDeviceOptionUI", Make<CDeviceOptionUI>},
        {"CMpDevicePowerUI", Make<CMpDevicePowerUI>},
        {"CComboEditContainerElementUI", Make<CComboEditContainerElementUI>},
        {"CHandImgButtonUI", Make<CHandImgButtonUI>},
        {"CHandImgSelectButtonUI", Make<CHandImgSelectButtonUI>},
        {"CRedioMacroButtonUI", Make<CRedioMacroButtonUI>},
        {"CLightControlUI", Make<CLightControlUI>},
        {"CMacroControlUI", Make<CMacroControlUI>},
        {"CKeySetControlUI", Make<CKeySetControlUI>},
        {"CDeviceProfileUI", Make<CDeviceProfileUI>},
        {"CShootControlUI", Make<CShootControlUI>},
        {"CMagicControlUI", Make<CMagicControlUI>},
        {"CVoice6533ControlUI", Make<CVoice6533ControlUI>},
        {"CTavrinUSBDevice", Make<CTavrinUSBDevice>},
        {"CTavrinMousePadDevice", Make<CTavrinMousePadDevice>},
        {"CTavrinVE6533Device", Make<CTavrinVE6533Device>},
    };
    return rows;
}

// A tag makes either an object of a class or the root of a nested layout.
struct TagRow {
    std::string_view tag;
    ControlCreator creator;       // set for class rows
    std::string_view layoutFile;  // set for layout rows
};

const std::vector<TagRow>& TagRows() {
    static const std::vector<TagRow> rows = {
        {"CircleProgress", Make<CCircleProgressUI>, {}},
        {"SelectPanel", Make<CSelectPanelUI>, {}},
        {"DeviceKeyButton", Make<CDeviceKeyButtonUI>, {}},
        {"HandImgButton", Make<CHandImgButtonUI>, {}},
        {"HandImgSelectButton", Make<CHandImgSelectButtonUI>, {}},
        {"RedioMacroButton", Make<CRedioMacroButtonUI>, {}},
        {"ComboEditContainerElement", Make<CComboEditContainerElementUI>, {}},
        {"TavrinMousePadDevice", Make<CTavrinMousePadDevice>, {}},
        {"TavrinVE6533Device", Make<CTavrinVE6533Device>, {}},
        {"TavrinMouseDevice", Make<CTavrinMouseDevice>, {}},
        {"TavrinKeyboardDevice", Make<CTavrinKeyboardDevice>, {}},
        {"DeviceProfile", Make<CDeviceProfileUI>, {}},
        {"LightControl", Make<CLightControlUI>, {}},
        {"MagicControl", Make<CMagicControlUI>, {}},
        {"Voice6533Control", Make<CVoice6533ControlUI>, {}},
        {"KeySetControl", Make<CKeySetControlUI>, {}},
        {"ShootControl", Make<CShootControlUI>, {}},
        {"DeviceProfileUI", {}, "XML\\CustomControlXML\\DeviceProfile.xml"},
        {"LightSetControlUI", {}, "XML\\CustomControlXML\\LightControl.xml"},
        {"Voice6533SetControlUI", {}, "XML\\CustomControlXML\\Voice6533Control.xml"},
        {"MagicSetControlUI", {}, "XML\\CustomControlXML\\MagicControl.xml"},
        {"KeySetControlUI", {}, "XML\\CustomControlXML\\KeySetControl.xml"},
        {"MacroSetControlUI", {}, "XML\\CustomControlXML\\MacroControl.xml"},
        {"ShootKeySetControlUI", {}, "XML\\CustomControlXML\\ShootControl.xml"},
        {"VirtualSetControlUI", {}, "XML\\CustomControlXML\\VirtualSet.xml"},
    };
    return rows;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

const std::vector<std::string_view>& RegisteredControlClassNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> list;
        for (const auto& row : ClassRows()) list.push_back(row.name);
        return list;
    }();
    return names;
}

void RegisterControlClasses() {
    for (const auto& row : ClassRows())
        CControlFactory::Instance().RegistControl(row.name, row.creator);
}

std::unique_ptr<CControlUI> CreateControlForTag(std::string_view tag, CPaintManagerUI& manager) {
    const auto& rows = TagRows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const TagRow& r) { return EqualsNoCase(r.tag, tag); });
    if (row == rows.end()) return nullptr;
    if (row->creator) return row->creator();
    // Without a callback, tags inside the nested layout resolve through the factory.
    CDialogBuilder builder;
    return builder.Create(row->layoutFile, {}, nullptr, &manager);
}
