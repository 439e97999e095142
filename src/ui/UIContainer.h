#pragma once
// Containers and the layout engine. Implemented in UIContainer.cpp (children,
// scrolling, floating children) and UILayout.cpp (the box layouts and tabs).
//
// Layout rules (all values logical pixels, scaled by the window's DPI zoom):
// - the inner area is the container's rectangle less its "inset";
// - floating children sit at their "pos" relative to the inner top-left corner;
// - a vertical layout stacks its visible children top to bottom, "childpadding"
//   apart, each with its own "padding" around it; a child with a fixed height takes
//   it (clamped to min/max), the others share what is left equally; widths fill the
//   inner area unless fixed ("childalign" places fixed-width children);
// - a horizontal layout does the same left to right;
// - a plain container gives every child the whole inner area (less its padding);
// - a tab layout shows only its selected child, over the whole inner area.
#include <memory>
#include <vector>

#include "ui/UIControl.h"

class CScrollBarWidget;

class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;
    std::string_view GetClass() const override;

    // Children. The container owns them; Add/AddAt return the added control (null
    // when given none). Remove* delete; Detach hands ownership back.
    CControlUI* Add(std::unique_ptr<CControlUI> control);
    virtual CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index);
    virtual bool Remove(CControlUI* control);
    bool RemoveAt(int index);
    virtual void RemoveAll();
    virtual std::unique_ptr<CControlUI> Detach(CControlUI* control);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;             // null when out of range
    int GetItemIndex(const CControlUI* control) const;  // -1 when not a child
    bool SetItemIndex(CControlUI* control, int index);

    const UIRect& GetInset() const { return m_inset; }
    void SetInset(const UIRect& inset);
    int GetChildPadding() const { return m_childPadding; }
    void SetChildPadding(int padding);
    // TextStyle::Left/Center/Right and Top/VCenter/Bottom for children that do not
    // fill the cross direction.
    unsigned GetChildAlign() const { return m_childAlign; }
    void SetChildAlign(unsigned align);
    unsigned GetChildVAlign() const { return m_childVAlign; }
    void SetChildVAlign(unsigned align);

    // Vertical scrolling of content taller than the inner area (wheel and a thin
    // bar on the right). Positions are window pixels.
    void EnableScrollBar(bool vertical = true);
    bool IsScrollBarEnabled() const { return m_scrollEnabled; }
    int GetScrollPos() const { return m_scrollPos; }
    int GetScrollRange() const { return m_scrollRange; }
    void SetScrollPos(int pos);
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void HomeUp();
    void EndDown();

    void SetPos(const UIRect& rc, bool needInvalidate = true) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    CControlUI* FindControl(const std::function<bool(CControlUI*)>& match) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void ReloadText() override;

protected:
    // Places the children inside `inner` (window pixels, inset removed). Returns the
    // height the content needs, for scrolling.
    virtual int LayoutChildren(const UIRect& inner);
    // Places a floating child from its "pos".
    void PlaceFloat(CControlUI* child, const UIRect& inner);
    // Places the visible floating children; returns the visible ones that flow.
    std::vector<CControlUI*> PlaceFloatsAndCollectFlowing(const UIRect& inner);
    void UpdateScrollBar();

    std::vector<std::unique_ptr<CControlUI>> m_items;
    UIRect m_inset;
    int m_childPadding = 0;
    unsigned m_childAlign = TextStyle::Left;
    unsigned m_childVAlign = TextStyle::Top;
    bool m_scrollEnabled = false;
    int m_scrollPos = 0;
    int m_scrollRange = 0;

private:
    std::unique_ptr<CScrollBarWidget> m_scrollBar;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override;
    UISize EstimateSize(UISize available) override;

protected:
    int LayoutChildren(const UIRect& inner) override;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override;
    UISize EstimateSize(UISize available) override;

protected:
    int LayoutChildren(const UIRect& inner) override;
};

// Shows one child at a time. Selecting sends no notification.
class CTabLayoutUI : public CContainerUI {
public:
    std::string_view GetClass() const override;
    bool SelectItem(int index);  // false when out of range
    bool SelectItem(CControlUI* control);
    int GetCurSel() const { return m_curSel; }

    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    std::unique_ptr<CControlUI> Detach(CControlUI* control) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

protected:
    int LayoutChildren(const UIRect& inner) override;

private:
    void ShowOnlySelected();
    int m_curSel = -1;
};
