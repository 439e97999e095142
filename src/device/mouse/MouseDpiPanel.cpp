#include "device/mouse/MouseDpiPanel.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <string_view>

#include "ui/UILib.h"

namespace {

constexpr int kLastStepIndex = 48;  // last index that uses the device's step
constexpr int kCoarseBaseDpi = 5000;
constexpr int kCoarseStep = 200;
constexpr int kLowestDpi = 200;
constexpr int kFineStep = 100;

constexpr const char* kActiveTrack = "Control/SliderBar_BK3.png";
constexpr const char* kActiveThumb = "Control/SliderBar2_Thumb.png";
constexpr const char* kOtherTrack = "Control/SliderBar_BK1.png";
constexpr const char* kOtherThumb = "Control/SliderBar1_Thumb.png";

std::string Numbered(std::string_view prefix, int n) {
    return std::string(prefix) + std::to_string(n);
}

template <class T>
T* FindIn(CPaintManagerUI& pm, CControlUI* page, std::string_view name) {
    return dynamic_cast<T*>(pm.FindSubControlByName(page, name));
}

int SliderValue(const CSliderUI* slider) {
    return slider ? slider->GetValue() : 0;
}
bool IsSelected(const COptionUI* option) {
    return option && option->IsSelected();
}

// Text that is not a number reads as 0.
// Text that is not a number reads as 0; a number too long for an int as the largest
// one of its sign, so it is clamped later instead of wrapping.
int ParseNumber(std::string_view text) {
    int value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (end != last) return 0;
    if (error == std::errc::result_out_of_range)
        return text.starts_with('-') ? std::numeric_limits<int>::min()
                                     : std::numeric_limits<int>::max();
    return error == std::errc{} ? value : 0;
}

std::uint16_t Half(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
}

DpiStage& StageAt(std::vector<DpiStage>& stages, int stage) {
    if (static_cast<int>(stages.size()) <= stage)
        stages.resize(static_cast<std::size_t>(stage) + 1);
    return stages[static_cast<std::size_t>(stage)];
}

bool ValidStage(int stage) {
    return stage >= 0 && stage < kDpiStageCount;
}

}  // namespace

int DpiOfIndex(int index, int step) {
    // The slider never leaves 0..73; the clamps only keep odd callers from overflowing.
    index = std::clamp(index, 0, 0xFFFF);
    step = std::clamp(step, 0, 0xFF);
    if (index <= kLastStepIndex) return kLowestDpi + index * step;
    return kCoarseBaseDpi + (index - kLastStepIndex) * kCoarseStep;
}

int IndexOfDpi(int dpi, int minimumDpi) {
    dpi = std::max({dpi, minimumDpi, kLowestDpi});
    // The slider and the device know no index above the top one.
    if (dpi > kCoarseBaseDpi)
        return std::min((dpi - kCoarseBaseDpi) / kCoarseStep + kLastStepIndex, kTopDpiIndex);
    return (dpi - kLowestDpi) / kFineStep;
}

void CMouseDpiPanel::Bind(CPaintManagerUI& pm, CControlUI* page) {
    for (int n = 0; n < kDpiStageCount; ++n) {
        m_row[n] = pm.FindSubControlByName(page, Numbered("DPI_layout_", n));
        m_check[n] = FindIn<COptionUI>(pm, page, Numbered("DPI_enable_check_", n));
        m_slider[n] = FindIn<CSliderUI>(pm, page, Numbered("DPI_slider_", n));
        m_edit[n] = FindIn<CEditUI>(pm, page, Numbered("DPI_edit_", n));
    }
    for (int n = 0; n < kPollingRateCount; ++n)
        m_polling[n] = FindIn<COptionUI>(pm, page, Numbered("polling_rate_option_", n));
    m_pointerSpeed = FindIn<CSliderUI>(pm, page, "pointer_speed_slider");
    m_pointerPrecision = FindIn<COptionUI>(pm, page, "pointer_precision_check");
    m_scrollLines = FindIn<CSliderUI>(pm, page, "scroll_speed_slider");
    m_scrollPage = FindIn<COptionUI>(pm, page, "scrolls_page_check");
    m_doubleClick = FindIn<CSliderUI>(pm, page, "double_click_slider");
}

void CMouseDpiPanel::SetDeviceLimits(int step, int minimumDpi) {
    m_step = step;
    m_minimumDpi = minimumDpi;
}

void CMouseDpiPanel::SetActiveStage(int stage) {
    m_activeStage = stage;
    for (int n = 0; n < kDpiStageCount; ++n) ShowSliderImages(n);
}

void CMouseDpiPanel::ShowStageEnabled(int stage, bool enabled) {
    if (!ValidStage(stage)) return;
    if (m_row[stage]) m_row[stage]->SetEnabled(enabled);
    if (m_check[stage]) m_check[stage]->Selected(enabled);
    if (enabled) {
        for (COptionUI* check : m_check)
            if (check) check->SetEnabled(true);
        return;
    }
    // The last enabled stage cannot be turned off: its check is locked.
    const auto selected = std::count_if(m_check.begin(), m_check.end(), IsSelected);
    if (selected != 1) return;
    for (COptionUI* check : m_check)
        if (IsSelected(check)) check->SetEnabled(false);
}

bool CMouseDpiPanel::IsStageEnabled(int stage) const {
    return ValidStage(stage) && IsSelected(m_check[stage]);
}

void CMouseDpiPanel::ShowStageDpi(int stage, int index) {
    if (!ValidStage(stage)) return;
    if (m_slider[stage]) m_slider[stage]->SetValue(index);
    if (m_edit[stage]) m_edit[stage]->SetText(std::to_string(DpiOfIndex(index, m_step)));
    ShowSliderImages(stage);
}

void CMouseDpiPanel::ShowSliderImages(int stage) {
    CSliderUI* slider = m_slider[stage];
    if (!slider) return;
    const bool active = stage == m_activeStage;
    const char* thumb = active ? kActiveThumb : kOtherThumb;
    slider->SetBkImage(active ? kActiveTrack : kOtherTrack);
    slider->SetThumbImage(thumb);
    slider->SetThumbHotImage(thumb);
    slider->SetThumbPushedImage(thumb);
}

int CMouseDpiPanel::GetStageSlider(int stage) const {
    return ValidStage(stage) ? SliderValue(m_slider[stage]) : 0;
}

int CMouseDpiPanel::GetStageEditDpi(int stage) const {
    if (!ValidStage(stage) || !m_edit[stage]) return 0;
    return std::max(ParseNumber(m_edit[stage]->GetText()), m_minimumDpi);
}

void CMouseDpiPanel::ShowPollingRate(int index) {
    if (index < 0 || index >= kPollingRateCount) index = 0;
    for (int n = 0; n < kPollingRateCount; ++n)
        if (m_polling[n]) m_polling[n]->Selected(n == index);
}

void CMouseDpiPanel::ShowPointerSpeed(int value) {
    if (m_pointerSpeed) m_pointerSpeed->SetValue(value);
}
int CMouseDpiPanel::GetPointerSpeed() const {
    return SliderValue(m_pointerSpeed);
}

void CMouseDpiPanel::ShowPointerPrecision(bool on) {
    if (m_pointerPrecision) m_pointerPrecision->Selected(on);
}
bool CMouseDpiPanel::GetPointerPrecision() const {
    return IsSelected(m_pointerPrecision);
}

void CMouseDpiPanel::ShowScroll(int page, int lines) {
    if (m_scrollPage) m_scrollPage->Selected(page != 0);
    if (m_scrollLines) m_scrollLines->SetValue(lines);
}
int CMouseDpiPanel::GetScrollPage() const {
    return IsSelected(m_scrollPage) ? 1 : 0;
}
int CMouseDpiPanel::GetScrollLines() const {
    return SliderValue(m_scrollLines);
}

void CMouseDpiPanel::ShowDoubleClick(int value) {
    if (m_doubleClick) m_doubleClick->SetValue(value);
}
int CMouseDpiPanel::GetDoubleClick() const {
    return SliderValue(m_doubleClick);
}

PanelOutcome OnStageCheckClicked(CMouseDpiPanel& panel, int stage, std::vector<DpiStage>& stages) {
    if (!ValidStage(stage)) return PanelOutcome::None;
    const bool enabled = panel.IsStageEnabled(stage);
    panel.ShowStageEnabled(stage, enabled);
    StageAt(stages, stage).active = enabled ? 1 : 0;
    return PanelOutcome::SaveAndWriteDevice;
}

PanelOutcome OnStageSliderMoving(CMouseDpiPanel& panel, int stage) {
    panel.ShowStageDpi(stage, panel.GetStageSlider(stage));
    return PanelOutcome::None;
}

PanelOutcome OnStageSliderChanged(CMouseDpiPanel& panel, int stage, std::vector<DpiStage>& stages) {
    if (!ValidStage(stage)) return PanelOutcome::None;
    const int index = panel.GetStageSlider(stage);
    panel.ShowStageDpi(stage, index);
    StageAt(stages, stage).dpiX = Half(index);
    return PanelOutcome::SaveAndWriteDevice;
}

PanelOutcome OnStageEditCommitted(CMouseDpiPanel& panel, int stage, std::vector<DpiStage>& stages) {
    if (!ValidStage(stage)) return PanelOutcome::None;
    const int index = IndexOfDpi(panel.GetStageEditDpi(stage), panel.GetMinimumDpi());
    panel.ShowStageDpi(stage, index);
    StageAt(stages, stage).dpiX = Half(index);
    return PanelOutcome::SaveAndWriteDevice;
}

PanelOutcome OnPollingOptionClicked(CMouseDpiPanel& panel, int option, SystemValues& values) {
    if (option < 0 || option >= kPollingRateCount) return PanelOutcome::None;
    panel.ShowPollingRate(option);
    values.third = SystemValues::Pack(SystemValues::Low(values.third), Half(option));
    return PanelOutcome::SaveAndWriteDevice;
}

PanelOutcome OnPointerControlChanged(CMouseDpiPanel& panel, PointerControl control,
                                     SystemValues& values) {
    using SV = SystemValues;
    switch (control) {
        case PointerControl::Speed:
            values.first = SV::Pack(SV::Low(values.first), Half(panel.GetPointerSpeed()));
            break;
        case PointerControl::Precision:
            values.second = SV::Pack(panel.GetPointerPrecision() ? 1 : 0, SV::High(values.second));
            break;
        case PointerControl::ScrollLines: {
            const int lines = panel.GetScrollLines();
            panel.ShowScroll(0, lines);
            values.second = SV::Pack(SV::Low(values.second), 0);
            values.third = SV::Pack(Half(lines), SV::High(values.third));
            break;
        }
        case PointerControl::ScrollPage:
            values.second = SV::Pack(SV::Low(values.second), Half(panel.GetScrollPage()));
            values.third = SV::Pack(Half(panel.GetScrollLines()), SV::High(values.third));
            break;
        case PointerControl::DoubleClick:
            values.first = SV::Pack(Half(panel.GetDoubleClick()), SV::High(values.first));
            break;
    }
    return PanelOutcome::SaveProfile;
}
