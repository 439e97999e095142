#include "app/MainWndRouting.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

using enum Route;
using enum PanelKind;
constexpr NameForm P = NameForm::Plain;
constexpr NameForm N = NameForm::Numbered;
constexpr NameCase I = NameCase::Ignore;
constexpr NameCase X = NameCase::Exact;
constexpr PanelKind kNoPanel = DevicePage;  // unused by rows that name no panel

// Rows in the order of the window's notification tables.
constexpr RouteRow kRoutes[] = {
    // ---- click ----
    {"click", "net_btn", P, I, OpenHomePage, kNoPanel, -1},
    {"click", "closebtn", P, I, CloseToTray, kNoPanel, -1},
    {"click", "nodevice_ok_btn", P, I, HideWindow, kNoPanel, -1},
    {"click", "control_light_status", P, I, ToggleLightControl, kNoPanel, -1},
    {"click", "minbtn", P, I, Minimize, kNoPanel, -1},
    {"click", "maxbtn", P, I, Maximize, kNoPanel, -1},
    {"click", "restorebtn", P, I, Restore, kNoPanel, -1},
    {"click", "skinbtn", P, I, OpenSkinWindow, kNoPanel, -1},
    {"click", "setbtn", P, I, OpenSettings, kNoPanel, -1},
    {"click", "gamemodebtn", P, I, Nothing, kNoPanel, -1},
    {"click", "cloudbtn", P, I, Nothing, kNoPanel, -1},
    {"click", "smarteyesbtn", P, I, Nothing, kNoPanel, -1},
    {"click", "key_", N, I, KeyClick, kNoPanel, -1},
    {"click", "color_option_", N, I, Panel, Lighting, -1},
    {"click", "windowdeviceset_", N, I, OpenDesktopSettings, kNoPanel, -1},
    {"click", "default_btn", P, I, RestoreDefaults, kNoPanel, -1},
    {"click", "reset_repeat_btn", P, I, Panel, KeyboardSystem, -1},
    {"click", "device_add_btn", P, I, Panel, Profile, -1},
    {"click", "device_sub_btn", P, I, Panel, Profile, -1},
    {"click", "device_export_btn", P, I, Panel, Profile, -1},
    {"click", "device_import_btn", P, I, Panel, Profile, -1},
    {"click", "device_copy_btn", P, I, Panel, Profile, -1},
    {"click", "device_reset_btn", P, I, Panel, Profile, -1},
    {"click", "device_profile_edit_save_btn", P, I, Panel, Profile, -1},
    {"click", "profile_fun_spread_btn", P, X, Panel, Profile, -1},
    {"click", "key_butt_keysave", P, I, Panel, KeyAssignment, -1},
    {"click", "key_butt_keydefalut", P, I, Panel, KeyAssignment, -1},
    {"click", "key_butt_keycancel", P, I, Panel, KeyAssignment, -1},
    {"click", "key_butt_prosave", P, I, Panel, KeyAssignment, -1},
    {"click", "macro_btn_starredio", P, I, Panel, Macro, -1},
    {"click", "macro_btn_stopredio", P, I, Panel, Macro, -1},
    {"click", "macro_btn_name_add", P, I, Panel, Macro, -1},
    {"click", "macro_btn_name_sub", P, I, Panel, Macro, -1},
    {"click", "macro_btn_name_edit", P, I, Panel, Macro, -1},
    {"click", "macro_btn_save", P, I, Panel, Macro, -1},
    {"click", "macro_btn_cancel", P, I, Panel, Macro, -1},
    {"click", "macro_btn_export", P, I, Panel, Macro, -1},
    {"click", "macro_btn_import", P, I, Panel, Macro, -1},
    {"click", "macro_btn_up", P, I, Panel, Macro, -1},
    {"click", "macro_btn_down", P, I, Panel, Macro, -1},
    {"click", "macro_btn_uptop", P, I, Panel, Macro, -1},
    {"click", "macro_btn_downbottom", P, I, Panel, Macro, -1},
    {"click", "macro_btn_delete", P, I, Panel, Macro, -1},
    {"click", "macro_btn_deleteall", P, I, Panel, Macro, -1},
    {"click", "macro_inset_moveleftkey_btn", P, X, Panel, Macro, -1},
    {"click", "macro_inset_moverightkey_btn", P, X, Panel, Macro, -1},
    {"click", "macro_inset_moveupkey_btn", P, X, Panel, Macro, -1},
    {"click", "macro_inset_movedownkey_btn", P, X, Panel, Macro, -1},
    {"click", "shootdate_save_btn", P, I, Panel, Shoot, -1},
    {"click", "shootdate_reset_btn", P, I, Panel, Shoot, -1},
    {"click", "shootdate_import_btn", P, I, Panel, Shoot, -1},
    {"click", "shootdate_export_btn", P, I, Panel, Shoot, -1},
    {"click", "bullet_selected_prev", P, I, Panel, Shoot, -1},
    {"click", "bullet_selected_next", P, I, Panel, Shoot, -1},
    {"click", "custom_bright_color_btn", P, I, Panel, Lighting, -1},
    {"click", "custom_off_color_btn", P, I, Panel, Lighting, -1},
    {"click", "deng_same_mode", P, I, Panel, Lighting, -1},
    {"click", "hs_EQ_btn_save", P, I, Panel, HeadsetEq, -1},
    {"click", "hs_EQ_btn_delete", P, I, Panel, HeadsetEq, -1},
    {"click", "device_select_prev", P, I, SelectPrevious, kNoPanel, -1},
    {"click", "device_select_next", P, I, SelectNext, kNoPanel, -1},

    // ---- selectchanged ----
    {"selectchanged", "DPI_enable_check_", N, I, Panel, DpiPointer, -1},
    {"selectchanged", "polling_rate_option_", N, I, Panel, DpiPointer, -1},
    {"selectchanged", "pointer_precision_check", P, I, Panel, DpiPointer, -1},
    {"selectchanged", "scrolls_page_check", P, I, Panel, DpiPointer, -1},
    {"selectchanged", "repeat_delay_check_", N, I, Panel, KeyboardSystem, -1},
    {"selectchanged", "winlockflag_option", P, I, Panel, KeyboardSystem, -1},
    {"selectchanged", "wflag_option", P, I, Panel, KeyboardSystem, -1},
    {"selectchanged", "6flag_option", P, I, Panel, KeyboardSystem, -1},
    {"selectchanged", "mouse_device_seting_option_", N, I, Panel, DevicePage, -1},
    {"selectchanged", "shoot_gun_op_", N, I, Panel, Shoot, -1},
    {"selectchanged", "bullet_op_", N, I, Panel, Shoot, -1},
    {"selectchanged", "bullet_x_check", P, I, Panel, Shoot, -1},
    {"selectchanged", "bullet_y_check", P, I, Panel, Shoot, -1},
    {"selectchanged", "magic_option_", N, I, Panel, HeadsetAudio, -1},
    {"selectchanged", "6533_eq_option_", N, I, Panel, HeadsetAudio, -1},
    {"selectchanged", "magic_enable_option", P, I, Panel, HeadsetAudio, -1},
    {"selectchanged", "6533_MicIn_option", P, I, Panel, HeadsetAudio, -1},
    {"selectchanged", "6533_MicMoniter_option", P, I, Panel, HeadsetAudio, -1},
    {"selectchanged", "key_ComBox_check_", N, I, Panel, KeyAssignment, -1},
    {"selectchanged", "deng_FXL_check", P, I, Panel, Lighting, 1},
    {"selectchanged", "deng_FXR_check", P, I, Panel, Lighting, 0},
    {"selectchanged", "deng_7color_check", P, I, Panel, Lighting, -1},
    {"selectchanged", "device_select", P, I, DeviceSelectChanged, kNoPanel, -1},
    {"selectchanged", "synchro_device_select", P, I, Nothing, kNoPanel, -1},
    {"selectchanged", "deng_Op_tab", P, I, FunctionTab, Profile, 1},
    {"selectchanged", "key_Op_tab", P, I, FunctionTab, Profile, 2},
    {"selectchanged", "macro_Op_tab", P, I, FunctionTab, Profile, 3},
    {"selectchanged", "system_Op_tab", P, I, FunctionTab, Profile, 4},
    {"selectchanged", "cursor_Op_tab", P, I, FunctionTab, Profile, 5},
    {"selectchanged", "6533_voice_Op_tab", P, I, FunctionTab, Profile, 6},
    {"selectchanged", "magic_Op_tab", P, I, FunctionTab, Profile, 7},
    {"selectchanged", "Virtual7.1_Op_tab", P, I, FunctionTab, Profile, 8},

    // ---- valuechanged ----
    {"valuechanged", "DPI_slider_", N, I, Panel, DpiPointer, -1},
    {"valuechanged", "pointer_speed_slider", P, I, Panel, DpiPointer, -1},
    {"valuechanged", "scroll_speed_slider", P, I, Panel, DpiPointer, -1},
    {"valuechanged", "double_click_slider", P, I, Panel, DpiPointer, -1},
    {"valuechanged", "repeat_rate_slider", P, I, Panel, KeyboardSystem, -1},
    {"valuechanged", "deng_light_slider", P, I, Panel, Lighting, -1},
    {"valuechanged", "deng_speed_slider", P, I, Panel, Lighting, -1},
    {"valuechanged", "6533_eq_hz_slider_", N, I, Panel, HeadsetAudio, -1},
    {"valuechanged", "6533_MicIn_slider", P, I, Panel, HeadsetAudio, -1},
    {"valuechanged", "6533_MicMoniter_slider", P, I, Panel, HeadsetAudio, -1},

    // ---- movevaluechanged: the live DPI display ----
    {"movevaluechanged", "velko_DPI_slider_", N, I, Panel, DpiPointer, -1},
    {"movevaluechanged", "DPI_slider_", N, I, Panel, DpiPointer, -1},

    // ---- itemselect ----
    {"itemselect", "device_profile_combo", P, I, RestartProfileTimer, kNoPanel, -1},
    {"itemselect", "light_combo_modeSelect", P, I, Panel, Lighting, -1},
    {"itemselect", "light_combo_custommodeSelect", P, I, Panel, Lighting, -1},
    {"itemselect", "macro_name_list", P, I, Panel, Macro, -1},
    {"itemselect", "custom_eq_name_combo", P, I, Panel, HeadsetEq, -1},
    {"itemselect", "keyset_function_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_macro_over_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_mousekey_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_mouseswing_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_mousewheel_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_mousedpi_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_media_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_system_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_macro_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_gunkey_combo", P, I, Panel, KeyAssignment, -1},
    {"itemselect", "keyset_combokey_combo", P, I, Panel, KeyAssignment, -1},

    // ---- killfocus ----
    {"killfocus", "velko_DPI_edit_", N, I, Panel, DpiPointer, -1},
    {"killfocus", "DPI_edit_", N, I, Panel, DpiPointer, -1},
    {"killfocus", "deng_edit_R", P, I, Panel, Lighting, -1},
    {"killfocus", "deng_edit_G", P, I, Panel, Lighting, -1},
    {"killfocus", "deng_edit_B", P, I, Panel, Lighting, -1},
    {"killfocus", "keyset_keyboard_text_edit", P, I, KeyEditLostFocus, KeyAssignment, -1},
    {"killfocus", "bullet_x_eidt", P, I, Panel, Shoot, -1},
    {"killfocus", "bullet_y_eidt", P, I, Panel, Shoot, -1},
    {"killfocus", "bullet_delay_eidt", P, I, Panel, Shoot, -1},
    {"killfocus", "macro_delay", P, I, Panel, Macro, -1},
    {"killfocus", "keyset_mouseswing_num_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_mouseswing_delay_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_mouseswing_speed_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_mousewheel_num_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_mousewheel_delay_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_mousewheel_speed_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_mousefire_interval_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_mousefire_num_edit", P, I, Panel, KeyAssignment, -1},
    {"killfocus", "keyset_macro_cycle_edit", P, I, Panel, KeyAssignment, -1},

    // ---- the rest ----
    {"colorchanged", "deng_Color_Pallet", P, I, Panel, Lighting, -1},
    {"click_select_end", "device_key_light", P, I, Panel, DevicePage, -1},
    {"click_select_end", "mouse_device_key_light", P, I, Panel, DevicePage, -1},
    {"itemactivate", "macro_action", P, I, OpenMacroActionMenu, kNoPanel, -1},
    {"setfocus", "keyset_keyboard_text_edit", P, I, KeyEditFocused, kNoPanel, -1},

    // ---- menu commands ----
    {kMenuCommandType, "exit", P, I, Exit, kNoPanel, -1},
    {kMenuCommandType, "about_menu", P, I, OpenAbout, kNoPanel, -1},
    {kMenuCommandType, "setwnd_menu", P, I, OpenSettingsCentred, kNoPanel, -1},
    {kMenuCommandType, "redio_previous_record_time", P, I, Panel, Macro, -1},
    {kMenuCommandType, "redio_previous_constant_time", P, I, Panel, Macro, -1},
    {kMenuCommandType, "redio_previous_ignore_time", P, I, Panel, Macro, -1},
    {kMenuCommandType, "redio_later_record_time", P, I, Panel, Macro, -1},
    {kMenuCommandType, "redio_later_constant_time", P, I, Panel, Macro, -1},
    {kMenuCommandType, "redio_later_ignore_time", P, I, Panel, Macro, -1},
    {kMenuCommandType, "macro_action_edit", P, I, Panel, Macro, -1},
    {kMenuCommandType, "left_down", P, I, Panel, Macro, -1},
    {kMenuCommandType, "left_up", P, I, Panel, Macro, -1},
    {kMenuCommandType, "left_click", P, I, Panel, Macro, -1},
    {kMenuCommandType, "middle_down", P, I, Panel, Macro, -1},
    {kMenuCommandType, "middle_up", P, I, Panel, Macro, -1},
    {kMenuCommandType, "middle_click", P, I, Panel, Macro, -1},
    {kMenuCommandType, "right_down", P, I, Panel, Macro, -1},
    {kMenuCommandType, "right_up", P, I, Panel, Macro, -1},
    {kMenuCommandType, "right_click", P, I, Panel, Macro, -1},
    {kMenuCommandType, "forward_down", P, I, Panel, Macro, -1},
    {kMenuCommandType, "forward_up", P, I, Panel, Macro, -1},
    {kMenuCommandType, "forward_click", P, I, Panel, Macro, -1},
    {kMenuCommandType, "back_down", P, I, Panel, Macro, -1},
    {kMenuCommandType, "back_up", P, I, Panel, Macro, -1},
    {kMenuCommandType, "back_click", P, I, Panel, Macro, -1},
};

bool NameMatches(const RouteRow& row, std::string_view name) {
    return row.nameCase == NameCase::Exact ? row.name == name : EqualsNoCase(row.name, name);
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

NumberedName SplitNumberedName(std::string_view name) {
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos) return {name, -1};
    const std::string_view digits = name.substr(underscore + 1);
    const bool allDigits =
        !digits.empty() && std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; });
    int number = -1;
    if (!allDigits) return {name, -1};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc{} || end != digits.data() + digits.size()) return {name, -1};
    return {name.substr(0, underscore + 1), number};
}

std::span<const RouteRow> RouteTable() {
    return kRoutes;
}

std::optional<RouteHit> FindRoute(std::string_view type, std::string_view name) {
    const NumberedName numbered = SplitNumberedName(name);
    for (const RouteRow& row : kRoutes) {
        if (row.type != type) continue;
        if (row.form == NameForm::Plain && NameMatches(row, name))
            return RouteHit{&row, row.argument};
        if (row.form == NameForm::Numbered && numbered.number >= 0 &&
            NameMatches(row, numbered.prefix))
            return RouteHit{&row, numbered.number};
    }
    return std::nullopt;
}
