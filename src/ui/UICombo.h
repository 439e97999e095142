#pragma once
// CComboUI: shows the selected item's text; a click opens a drop list of its items.
// Items are CListLabelElementUI (hidden items keep their index).
// Implemented in UICombo.cpp by the control-kinds helper.
// Notifications: "itemselect" (user choice, or SelectItem with notify; wParam = new
// index, lParam = old index). Choosing the item already selected sends nothing.
// Without images the combo draws a raised box with a down arrow; the drop list is a
// panel with the items' look taken from the "item..." attributes.
#include <memory>

#include "ui/UIList.h"

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    std::string_view GetClass() const override;

    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    std::unique_ptr<CControlUI> Detach(CControlUI* control) override;

    TListInfoUI* GetListInfo() override { return &m_listInfo; }
    int GetCurSel() const override { return m_curSel; }
    bool SelectItem(int index, bool takeFocus = false, bool notify = false) override;
    CPaintManagerUI* GetOwnerManager() const override { return GetManager(); }
    // Index of the first item whose user data equals `userData`; -1 when none.
    int FindItemByUserData(std::string_view userData) const;
    std::string GetText() const override;  // the selected item's text

    bool IsDropped() const;
    void ShowDropList();
    void CloseDropList();
    UISize GetDropBoxSize() const { return m_dropBoxSize; }
    void SetDropBoxSize(UISize size);  // cy 0 = fit the items
    const UIRect& GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(const UIRect& padding);

    const std::string& GetNormalImage() const { return m_normalImage; }
    void SetNormalImage(std::string_view image);
    const std::string& GetHotImage() const { return m_hotImage; }
    void SetHotImage(std::string_view image);
    const std::string& GetPushedImage() const { return m_pushedImage; }
    void SetPushedImage(std::string_view image);
    const std::string& GetDisabledImage() const { return m_disabledImage; }
    void SetDisabledImage(std::string_view image);

    bool Activate() override;  // opens the drop list
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void ReloadText() override;
    void PaintStatusImage(CRenderContext& ctx) override;
    void PaintText(CRenderContext& ctx) override;

protected:
    int LayoutChildren(const UIRect& inner) override;  // items live in the drop list

private:
    IListItemUI* ListItemAt(int index) const;
    // The next visible, enabled item from `from` in `direction` (+1/-1); -1 when none.
    int NextSelectable(int from, int direction) const;
    void Reindex();
    void SetHot(bool hot);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    TListInfoUI m_listInfo;
    int m_curSel = -1;
    UISize m_dropBoxSize{0, 150};
    UIRect m_textPadding;
    std::string m_normalImage;
    std::string m_hotImage;
    std::string m_pushedImage;
    std::string m_disabledImage;
    unsigned m_buttonState = 0;
};
