// The box layouts (vertical and horizontal flow) and the tab layout.
#include <algorithm>
#include <vector>

#include "ui/UIContainer.h"
#include "ui/UIManager.h"

namespace {

// One child in a flow, with lengths along the flow ("main") in window pixels.
struct FlowSlot {
    CControlUI* child = nullptr;
    UISize estimate;
    UIRect padding;
    int main = 0;
    int minMain = 0;
    int maxMain = 0;
    bool sized = false;
};

struct Flow {
    bool horizontal = false;
    const UIRect& inner;
    int childPadding = 0;
    unsigned crossAlign = 0;
    int scrollPos = 0;
    const CPaintManagerUI* manager = nullptr;

    int S(int v) const { return manager ? manager->ScaleValue(v) : v; }
    int MainOf(UISize s) const { return horizontal ? s.cx : s.cy; }
    int CrossOf(UISize s) const { return horizontal ? s.cy : s.cx; }
    int MainLength() const { return horizontal ? inner.Width() : inner.Height(); }
    int CrossLength() const { return horizontal ? inner.Height() : inner.Width(); }
    int PadBefore(const UIRect& p) const { return horizontal ? p.left : p.top; }
    int PadAfter(const UIRect& p) const { return horizontal ? p.right : p.bottom; }
};

std::vector<FlowSlot> CollectSlots(const Flow& flow, const std::vector<CControlUI*>& children) {
    std::vector<FlowSlot> slots;
    for (CControlUI* child : children) {
        FlowSlot slot;
        slot.child = child;
        slot.padding =
            flow.manager ? flow.manager->ScaleRect(child->GetPadding()) : child->GetPadding();
        slot.estimate = child->EstimateSize({flow.inner.Width(), flow.inner.Height()});
        const UISize minSize{child->GetMinWidth(), child->GetMinHeight()};
        const UISize maxSize{child->GetMaxWidth(), child->GetMaxHeight()};
        slot.minMain = flow.S(flow.MainOf(minSize));
        slot.maxMain = std::max(slot.minMain, flow.S(flow.MainOf(maxSize)));
        const int wanted = flow.MainOf(slot.estimate);
        if (wanted > 0) {
            slot.main = std::clamp(wanted, slot.minMain, slot.maxMain);
            slot.sized = true;
        }
        slots.push_back(slot);
    }
    return slots;
}

// Shares what the sized children leave among the others. A share outside a child's
// min/max fixes that child at the limit, and the rest is shared again.
void ShareRemainingSpace(const Flow& flow, std::vector<FlowSlot>& slots) {
    for (bool changed = true; changed;) {
        changed = false;
        int used = flow.childPadding * std::max(0, static_cast<int>(slots.size()) - 1);
        int open = 0;
        for (const FlowSlot& s : slots) {
            used += flow.PadBefore(s.padding) + flow.PadAfter(s.padding) + (s.sized ? s.main : 0);
            open += s.sized ? 0 : 1;
        }
        if (open == 0) return;
        const int remaining = std::max(0, flow.MainLength() - used);
        const int share = remaining / open;
        int extra = remaining - share * open;  // to the last open child
        for (FlowSlot& s : slots) {
            if (s.sized) continue;
            if (share < s.minMain || share > s.maxMain) {
                s.main = std::clamp(share, s.minMain, s.maxMain);
                s.sized = changed = true;
            }
        }
        if (changed) continue;
        for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
            if (it->sized) continue;
            it->main = share + extra;
            extra = 0;
        }
    }
}

// Cross-direction placement of one child: fill, or its own size placed by alignment.
std::pair<int, int> CrossSpan(const Flow& flow, const FlowSlot& s) {
    const UIRect& p = s.padding;
    int start = (flow.horizontal ? flow.inner.top + p.top : flow.inner.left + p.left);
    const int length = flow.CrossLength() - (flow.horizontal ? p.top + p.bottom : p.left + p.right);
    const UISize minSize{s.child->GetMinWidth(), s.child->GetMinHeight()};
    const UISize maxSize{s.child->GetMaxWidth(), s.child->GetMaxHeight()};
    const int lo = flow.S(flow.CrossOf(minSize));
    const int hi = std::max(lo, flow.S(flow.CrossOf(maxSize)));
    const int wanted = flow.CrossOf(s.estimate);
    const int size = std::clamp(wanted > 0 ? wanted : length, lo, hi);
    const unsigned middle = flow.horizontal ? TextStyle::VCenter : TextStyle::Center;
    const unsigned end = flow.horizontal ? TextStyle::Bottom : TextStyle::Right;
    if (size < length && (flow.crossAlign & middle))
        start += (length - size) / 2;
    else if (size < length && (flow.crossAlign & end))
        start += length - size;
    return {start, size};
}

// Lays the children out along the flow; returns the length the content needs.
int LayoutFlow(const Flow& flow, const std::vector<CControlUI*>& children) {
    std::vector<FlowSlot> slots = CollectSlots(flow, children);
    ShareRemainingSpace(flow, slots);
    const int origin = flow.horizontal ? flow.inner.left : flow.inner.top - flow.scrollPos;
    int pos = origin;
    for (const FlowSlot& s : slots) {
        pos += flow.PadBefore(s.padding);
        const auto [crossStart, crossSize] = CrossSpan(flow, s);
        const UIRect rc = flow.horizontal
                              ? UIRect{pos, crossStart, pos + s.main, crossStart + crossSize}
                              : UIRect{crossStart, pos, crossStart + crossSize, pos + s.main};
        s.child->SetPos(rc, false);
        pos += s.main + flow.PadAfter(s.padding) + flow.childPadding;
    }
    if (!slots.empty()) pos -= flow.childPadding;
    return pos - origin;
}

}  // namespace

std::vector<CControlUI*> CContainerUI::PlaceFloatsAndCollectFlowing(const UIRect& inner) {
    std::vector<CControlUI*> flowing;
    for (auto& item : m_items) {
        if (!item->IsVisible()) continue;
        if (item->IsFloat())
            PlaceFloat(item.get(), inner);
        else
            flowing.push_back(item.get());
    }
    return flowing;
}

std::string_view CVerticalLayoutUI::GetClass() const {
    return "VerticalLayoutUI";
}

UISize CVerticalLayoutUI::EstimateSize(UISize available) {
    return CContainerUI::EstimateSize(available);
}

int CVerticalLayoutUI::LayoutChildren(const UIRect& inner) {
    const std::vector<CControlUI*> flowing = PlaceFloatsAndCollectFlowing(inner);
    const Flow flow{false, inner, Scale(m_childPadding), m_childAlign, m_scrollPos, m_manager};
    return LayoutFlow(flow, flowing);
}

std::string_view CHorizontalLayoutUI::GetClass() const {
    return "HorizontalLayoutUI";
}

UISize CHorizontalLayoutUI::EstimateSize(UISize available) {
    return CContainerUI::EstimateSize(available);
}

int CHorizontalLayoutUI::LayoutChildren(const UIRect& inner) {
    const std::vector<CControlUI*> flowing = PlaceFloatsAndCollectFlowing(inner);
    const Flow flow{true, inner, Scale(m_childPadding), m_childVAlign, 0, m_manager};
    LayoutFlow(flow, flowing);
    return inner.Height();
}

std::string_view CTabLayoutUI::GetClass() const {
    return "TabLayoutUI";
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    m_curSel = index;
    ShowOnlySelected();
    NeedUpdate();
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) {
    return SelectItem(GetItemIndex(control));
}

CControlUI* CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    const int count = GetCount();
    CControlUI* added = CContainerUI::AddAt(std::move(control), index);
    if (!added) return nullptr;
    const int at = GetItemIndex(added);
    if (m_curSel < 0)
        m_curSel = at;
    else if (at <= m_curSel && m_curSel < count)
        ++m_curSel;
    ShowOnlySelected();
    return added;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    return Detach(control) != nullptr;
}

void CTabLayoutUI::RemoveAll() {
    m_curSel = -1;
    CContainerUI::RemoveAll();
}

std::unique_ptr<CControlUI> CTabLayoutUI::Detach(CControlUI* control) {
    const int index = GetItemIndex(control);
    std::unique_ptr<CControlUI> owned = CContainerUI::Detach(control);
    if (!owned) return nullptr;
    owned->SetVisible(true);
    if (index < m_curSel || m_curSel >= GetCount()) --m_curSel;
    if (m_curSel < 0 && GetCount() > 0) m_curSel = 0;
    ShowOnlySelected();
    return owned;
}

void CTabLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selectedid") {
        // Layouts set this before the children exist; the child shows when it arrives.
        m_curSel = std::max(0, ParseUISize(value).cx);
        ShowOnlySelected();
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CTabLayoutUI::ShowOnlySelected() {
    for (int i = 0; i < GetCount(); ++i) m_items[i]->SetVisible(i == m_curSel);
}

int CTabLayoutUI::LayoutChildren(const UIRect& inner) {
    CControlUI* child = GetItemAt(m_curSel);
    if (!child) return inner.Height();
    if (child->IsFloat()) {
        PlaceFloat(child, inner);
    } else {
        child->SetPos(inner.Deflate(Scale(child->GetPadding())), false);
    }
    return inner.Height();
}
