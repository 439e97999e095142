#pragma once
// The area of a device picture over which key buttons are selected by dragging a
// rectangle. When a drag ends, every key button the rectangle touches is marked
// selected, the others are unmarked, and "click_select_end" is sent.
#include "ui/UIContainer.h"

class CSelectPanelUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "SelectPanelUI"; }
    void DoEvent(TEventUI& event) override;

    bool IsDragging() const { return m_dragging; }
    // Window coordinates, left/top the smaller corner.
    const UIRect& GetSelection() const { return m_selection; }

private:
    void MarkKeysInSelection();

    bool m_pressed = false;
    bool m_dragging = false;
    UIPoint m_start;
    UIPoint m_current;
    UIRect m_selection;
};
