#pragma once
// Lists and their elements, shared with the combo's drop list.
// Implemented in UIList.cpp by the control-kinds helper.
// Notifications: "itemselect" (selection changed, wParam = new index, lParam = old),
// "itemclick" (a row clicked), "itemactivate" (a row double-clicked), "menu" (right
// click on a row, sender = the row).
#include <memory>
#include <string>
#include <vector>

#include "ui/UIContainer.h"
#include "ui/UILabel.h"

// How the rows of a list or combo look; one per owner, read by its elements.
struct TListInfoUI {
    int font = -1;
    unsigned textStyle = TextStyle::VCenter | TextStyle::SingleLine;
    UIRect textPadding{8, 0, 8, 0};
    UIColor textColor = 0;
    UIColor bkColor = 0;
    UIColor selectedTextColor = 0;
    UIColor selectedBkColor = 0;
    UIColor hotTextColor = 0;
    UIColor hotBkColor = 0;
    UIColor disabledTextColor = 0;
    UIColor lineColor = 0;
    std::string bkImage;
    std::string selectedImage;
    std::string hotImage;
    bool showHtml = false;
    int itemHeight = 0;             // 0 = rows keep their own height
    std::vector<int> columnWidths;  // text elements' columns; empty = one column
};

// Applies one of the "item..." attributes lists and combos share (itemheight,
// itemtextcolor, itemselectedbkcolor, ...). False when `name` is not one of them.
bool SetListInfoAttribute(TListInfoUI& info, std::string_view name, std::string_view value);

// Lets a control tell whether a notification it just sent deleted it: take a token
// before sending, test it after.
class CLifeFlag {
public:
    CLifeFlag() = default;
    ~CLifeFlag() { *m_alive = false; }
    CLifeFlag(const CLifeFlag&) = delete;
    CLifeFlag& operator=(const CLifeFlag&) = delete;
    std::shared_ptr<const bool> Token() const { return m_alive; }

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false, bool notify = false) = 0;
    virtual void DoEvent(TEventUI& event) = 0;
    virtual CPaintManagerUI* GetOwnerManager() const = 0;
};

// The row side of a list: index, owner and selection.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() const = 0;
    virtual void SetOwner(IListOwnerUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;  // silent: owners notify
};

// Bookkeeping shared by the owners of list items (lists and combos): item indexes,
// ownership and the selected index, kept right as items come and go.
namespace ListItems {
IListItemUI* ItemAt(const CContainerUI& owner, int index);  // null for a non-item
void Reindex(const CContainerUI& owner);
void Adopt(CControlUI* control, IListOwnerUI* owner);  // before it is added
void Release(CControlUI* item);                        // after it was detached
int SelectionAfterInsert(int selection, int inserted);
int SelectionAfterRemoval(int selection, int removed);
// Unmarks the selected item and marks the one at `index` (-1: none). False when
// `index` names no item; `selection` is then unchanged.
bool MoveSelection(const CContainerUI& owner, int& selection, int index);
}  // namespace ListItems

// How the rows of lists, combos and menus draw their text: the colour for the row's
// state, and plain or markup text as the list info says.
UIColor ListRowTextColor(const TListInfoUI& info, bool enabled, bool selected, bool hot);
void DrawListText(CRenderContext& ctx, const UIRect& rc, std::string_view text, UIColor color,
                  const TListInfoUI& info, unsigned style);

class CListElementUI : public CControlUI, public IListItemUI {
public:
    std::string_view GetClass() const override;
    int GetIndex() const override { return m_index; }
    void SetIndex(int index) override { m_index = index; }
    IListOwnerUI* GetOwner() const override { return m_owner; }
    void SetOwner(IListOwnerUI* owner) override { m_owner = owner; }
    bool IsSelected() const override { return m_selected; }
    bool Select(bool select = true) override;
    bool IsHot() const { return m_hot; }
    bool Activate() override;  // sends "itemactivate"

    void SetVisible(bool visible = true) override;
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintStatusImage(CRenderContext& ctx) override;

protected:
    IListOwnerUI* m_owner = nullptr;
    int m_index = -1;
    bool m_selected = false;
    bool m_hot = false;
    CLifeFlag m_life;
};

class CListLabelElementUI : public CListElementUI {
public:
    std::string_view GetClass() const override;
    UISize EstimateSize(UISize available) override;
    void PaintText(CRenderContext& ctx) override;
};

// A row with one text per column (TListInfoUI::columnWidths).
class CListTextElementUI : public CListLabelElementUI {
public:
    std::string_view GetClass() const override;
    std::string GetText(int column) const;
    void SetText(int column, std::string_view text);
    std::string GetText() const override { return GetText(0); }
    void SetText(std::string_view text) override { SetText(0, text); }
    void ReloadText() override;
    void PaintText(CRenderContext& ctx) override;

private:
    std::vector<std::string> m_columns;
};

// A row holding arbitrary controls, laid out left to right.
class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    std::string_view GetClass() const override;
    int GetIndex() const override { return m_index; }
    void SetIndex(int index) override { m_index = index; }
    IListOwnerUI* GetOwner() const override { return m_owner; }
    void SetOwner(IListOwnerUI* owner) override { m_owner = owner; }
    bool IsSelected() const override { return m_selected; }
    bool Select(bool select = true) override;
    bool IsHot() const { return m_hot; }
    bool Activate() override;

    void SetVisible(bool visible = true) override;
    UISize EstimateSize(UISize available) override;  // the list's item height by default
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintStatusImage(CRenderContext& ctx) override;

protected:
    IListOwnerUI* m_owner = nullptr;
    int m_index = -1;
    bool m_selected = false;
    bool m_hot = false;
    CLifeFlag m_life;
};

// A vertical, scrolling list of IListItemUI rows. Children that are not rows are
// laid out but cannot be selected. A click on a row selects it ("itemselect" from the
// list) and sends "itemclick" from the row; a right click does the same and then
// "menu" from the row; a double click sends "itemactivate" from the row. Up, Down,
// Home, End, Page Up and Page Down move the selection while the list has the focus.
class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    std::string_view GetClass() const override;

    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    std::unique_ptr<CControlUI> Detach(CControlUI* control) override;

    TListInfoUI* GetListInfo() override { return &m_listInfo; }
    int GetCurSel() const override { return m_curSel; }
    bool SelectItem(int index, bool takeFocus = false, bool notify = false) override;
    CPaintManagerUI* GetOwnerManager() const override { return GetManager(); }
    // Scrolls so that the row is in view (the last row: GetCount() - 1).
    void EnsureVisible(int index);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;

private:
    void Reindex();
    IListItemUI* ListItemAt(int index) const;
    // The next visible, enabled row from `from` in `direction` (+1/-1); -1 when none.
    int NextSelectable(int from, int direction, int count = 1) const;
    TListInfoUI m_listInfo;
    int m_curSel = -1;
};
