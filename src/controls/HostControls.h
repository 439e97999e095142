#pragma once
// Small controls that layouts may place and no flow of the program drives: a chart
// area, a host for a native window, hand-cursor buttons and a list row for combo
// edits. They keep the library's behaviour; what they add is their look.
#include "ui/UIButton.h"
#include "ui/UIList.h"
#include "ui/UIOption.h"

// An empty chart area: its background and border, framed by a thin axis line.
class CChartViewUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "ChartViewUI"; }
    void DoPaint(CRenderContext& ctx) override;
};

// Reserves room for a native window; on this platform it only paints its background.
class CWndUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "WndUI"; }
};

// Buttons that show the pointing-hand cursor over them.
class CHandImgButtonUI : public CButtonUI {
public:
    CHandImgButtonUI() { SetCursor(UICursor::Hand); }
    std::string_view GetClass() const override { return "HandImgButtonUI"; }
};

class CHandImgSelectButtonUI : public COptionUI {
public:
    CHandImgSelectButtonUI() { SetCursor(UICursor::Hand); }
    std::string_view GetClass() const override { return "HandImgSelectButtonUI"; }
};

// A list row that holds an edit and a combo side by side.
class CComboEditContainerElementUI : public CListContainerElementUI {
public:
    std::string_view GetClass() const override { return "ComboEditContainerElementUI"; }
};
