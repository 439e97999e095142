#pragma once
// The DPI and pointer panel of the mouse page: the conversions between DPI indexes
// and DPI values, a view over the page's controls, and the reactions to the user.
// The panel keeps only control pointers; the values live in the mouse profile.
#include <array>
#include <vector>

#include "profile/MouseSections.h"

class CControlUI;
class CPaintManagerUI;
class COptionUI;
class CSliderUI;
class CEditUI;

inline constexpr int kDpiStageCount = 5;
inline constexpr int kPollingRateCount = 5;
inline constexpr int kTopDpiIndex = 73;

// DPI of a stage index; `step` is the device's DPI per index up to index 48.
int DpiOfIndex(int index, int step);
// Stage index of a typed DPI; below 5000 always 100 DPI per index.
int IndexOfDpi(int dpi, int minimumDpi);

class CMouseDpiPanel {
public:
    // Looks the controls up inside `page`; missing ones stay null.
    void Bind(CPaintManagerUI& pm, CControlUI* page);
    void SetDeviceLimits(int step, int minimumDpi);
    // The stage whose slider shows the accent images.
    void SetActiveStage(int stage);
    int GetStep() const { return m_step; }
    int GetMinimumDpi() const { return m_minimumDpi; }

    // The setters send no notifications; a missing control makes them do nothing.
    void ShowStageEnabled(int stage, bool enabled);
    bool IsStageEnabled(int stage) const;
    void ShowStageDpi(int stage, int index);
    int GetStageSlider(int stage) const;
    int GetStageEditDpi(int stage) const;
    void ShowPollingRate(int index);
    void ShowPointerSpeed(int value);
    int GetPointerSpeed() const;
    void ShowPointerPrecision(bool on);
    bool GetPointerPrecision() const;
    void ShowScroll(int page, int lines);
    int GetScrollPage() const;
    int GetScrollLines() const;
    void ShowDoubleClick(int value);
    int GetDoubleClick() const;

private:
    void ShowSliderImages(int stage);

    std::array<CControlUI*, kDpiStageCount> m_row{};
    std::array<COptionUI*, kDpiStageCount> m_check{};
    std::array<CSliderUI*, kDpiStageCount> m_slider{};
    std::array<CEditUI*, kDpiStageCount> m_edit{};
    std::array<COptionUI*, kPollingRateCount> m_polling{};
    CSliderUI* m_pointerSpeed = nullptr;
    COptionUI* m_pointerPrecision = nullptr;
    CSliderUI* m_scrollLines = nullptr;
    COptionUI* m_scrollPage = nullptr;
    CSliderUI* m_doubleClick = nullptr;
    int m_step = 0;
    int m_minimumDpi = 0;
    int m_activeStage = 0;
};

// What the device has to do after a handler changed the profile values.
enum class PanelOutcome { None, SaveProfile, SaveAndWriteDevice };

// The reactions to the user. Each takes the panel and the values the device object
// holds, changes them, and says what to save or write; the device stores them back.
PanelOutcome OnStageCheckClicked(CMouseDpiPanel& panel, int stage, std::vector<DpiStage>& stages);
PanelOutcome OnStageSliderMoving(CMouseDpiPanel& panel, int stage);
PanelOutcome OnStageSliderChanged(CMouseDpiPanel& panel, int stage, std::vector<DpiStage>& stages);
PanelOutcome OnStageEditCommitted(CMouseDpiPanel& panel, int stage, std::vector<DpiStage>& stages);
PanelOutcome OnPollingOptionClicked(CMouseDpiPanel& panel, int option, SystemValues& values);

enum class PointerControl { Speed, Precision, ScrollLines, ScrollPage, DoubleClick };
PanelOutcome OnPointerControlChanged(CMouseDpiPanel& panel, PointerControl control,
                                     SystemValues& values);
