// Which handler a notification reaches, by type and sender name: the rows, the case
// rules, numbered names and names no row knows.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/MainWndRouting.h"

namespace {

struct Expect {
    Route route;
    std::optional<PanelKind> panel;  // for panel rows
    int number;
};

struct Case {
    std::string_view type;
    std::string_view name;
    std::optional<Expect> expected;  // nothing: no row takes it
};

using enum Route;
using enum PanelKind;

const Case kCases[] = {
    // The window's own actions; names compare without regard to case.
    {"click", "closebtn", Expect{CloseToTray, {}, -1}},
    {"click", "CloseBtn", Expect{CloseToTray, {}, -1}},
    {"click", "net_btn", Expect{OpenHomePage, {}, -1}},
    {"click", "nodevice_ok_btn", Expect{HideWindow, {}, -1}},
    {"click", "control_light_status", Expect{ToggleLightControl, {}, -1}},
    {"click", "minbtn", Expect{Minimize, {}, -1}},
    {"click", "setbtn", Expect{OpenSettings, {}, -1}},
    {"click", "gamemodebtn", Expect{Nothing, {}, -1}},
    {"click", "default_btn", Expect{RestoreDefaults, {}, -1}},
    {"click", "DEVICE_SELECT_PREV", Expect{SelectPrevious, {}, -1}},
    {"click", "device_select_next", Expect{SelectNext, {}, -1}},
    // Numbered names: split at the last underscore, the number goes along.
    {"click", "key_7", Expect{KeyClick, {}, 7}},
    {"click", "KEY_12", Expect{KeyClick, {}, 12}},
    {"click", "key_", std::nullopt},
    {"click", "key_x", std::nullopt},
    {"click", "key_3a", std::nullopt},
    {"click", "key_-1", std::nullopt},
    {"click", "windowdeviceset_1", Expect{OpenDesktopSettings, {}, 1}},
    {"click", "color_option_4", Expect{Panel, Lighting, 4}},
    {"valuechanged", "DPI_slider_2", Expect{Panel, DpiPointer, 2}},
    {"valuechanged", "dpi_slider_0", Expect{Panel, DpiPointer, 0}},
    {"movevaluechanged", "velko_DPI_slider_3", Expect{Panel, DpiPointer, 3}},
    {"movevaluechanged", "DPI_slider_5", Expect{Panel, DpiPointer, 5}},
    {"valuechanged", "6533_eq_hz_slider_9", Expect{Panel, HeadsetAudio, 9}},
    {"selectchanged", "mouse_device_seting_option_2", Expect{Panel, DevicePage, 2}},
    {"killfocus", "DPI_edit_1", Expect{Panel, DpiPointer, 1}},
    // A plain name that happens to start like a numbered one is its own row.
    {"click", "key_butt_keysave", Expect{Panel, KeyAssignment, -1}},
    // The five names that compare exactly.
    {"click", "macro_inset_moveleftkey_btn", Expect{Panel, Macro, -1}},
    {"click", "Macro_Inset_MoveLeftKey_Btn", std::nullopt},
    {"click", "macro_inset_movedownkey_btn", Expect{Panel, Macro, -1}},
    {"click", "MACRO_INSET_MOVEDOWNKEY_BTN", std::nullopt},
    {"click", "profile_fun_spread_btn", Expect{Panel, Profile, -1}},
    {"click", "Profile_Fun_Spread_Btn", std::nullopt},
    {"click", "Device_Reset_Btn", Expect{Panel, Profile, -1}},
    {"click", "MACRO_BTN_SAVE", Expect{Panel, Macro, -1}},
    // Rows with their own number: function tabs 1 to 8, lighting directions.
    {"selectchanged", "deng_Op_tab", Expect{FunctionTab, Profile, 1}},
    {"selectchanged", "key_op_tab", Expect{FunctionTab, Profile, 2}},
    {"selectchanged", "Virtual7.1_Op_tab", Expect{FunctionTab, Profile, 8}},
    {"selectchanged", "deng_FXL_check", Expect{Panel, Lighting, 1}},
    {"selectchanged", "deng_FXR_check", Expect{Panel, Lighting, 0}},
    {"selectchanged", "device_select", Expect{DeviceSelectChanged, {}, -1}},
    {"selectchanged", "synchro_device_select", Expect{Nothing, {}, -1}},
    {"selectchanged", "winlockflag_option", Expect{Panel, KeyboardSystem, -1}},
    {"itemselect", "device_profile_combo", Expect{RestartProfileTimer, {}, -1}},
    {"itemselect", "keyset_gunkey_combo", Expect{Panel, KeyAssignment, -1}},
    {"killfocus", "keyset_keyboard_text_edit", Expect{KeyEditLostFocus, KeyAssignment, -1}},
    {"killfocus", "bullet_delay_eidt", Expect{Panel, Shoot, -1}},
    {"colorchanged", "deng_Color_Pallet", Expect{Panel, Lighting, -1}},
    {"click_select_end", "device_key_light", Expect{Panel, DevicePage, -1}},
    {"click_select_end", "mouse_device_key_light", Expect{Panel, DevicePage, -1}},
    // The window's message map.
    {"itemactivate", "macro_action", Expect{OpenMacroActionMenu, {}, -1}},
    {"setfocus", "keyset_keyboard_text_edit", Expect{KeyEditFocused, {}, -1}},
    // Menu items.
    {kMenuCommandType, "exit", Expect{Exit, {}, -1}},
    {kMenuCommandType, "about_menu", Expect{OpenAbout, {}, -1}},
    {kMenuCommandType, "setwnd_menu", Expect{OpenSettingsCentred, {}, -1}},
    {kMenuCommandType, "forward_click", Expect{Panel, Macro, -1}},
    {kMenuCommandType, "closebtn", std::nullopt},
    // A name is looked up only under its own notification type.
    {"selectchanged", "closebtn", std::nullopt},
    {"valuechanged", "key_1", std::nullopt},
    {"click", "DPI_slider_2", std::nullopt},
    {"itemclick", "macro_action", std::nullopt},
    {"msenter", "closebtn", std::nullopt},
    // Unknown names.
    {"click", "", std::nullopt},
    {"click", "no_such_button", std::nullopt},
    {"click", "closebtn_", std::nullopt},
};

TEST(MainWndRoutingTest, EachNotificationReachesItsRow) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.type) + " " + std::string(c.name));
        const std::optional<RouteHit> hit = FindRoute(c.type, c.name);
        ASSERT_EQ(hit.has_value(), c.expected.has_value());
        if (!hit) continue;
        EXPECT_EQ(hit->row->route, c.expected->route);
        if (c.expected->panel) EXPECT_EQ(hit->row->panel, *c.expected->panel);
        EXPECT_EQ(hit->number, c.expected->number);
    }
}

// Two rows for one (type, name) would make the later one unreachable.
TEST(MainWndRoutingTest, NoRowHidesAnother) {
    const auto rows = RouteTable();
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            const bool same = rows[i].type == rows[j].type && rows[i].form == rows[j].form &&
                              EqualsNoCase(rows[i].name, rows[j].name);
            EXPECT_FALSE(same) << rows[i].type << " " << rows[i].name;
        }
}

}  // namespace
