// CControlUI: identity, text, state, geometry, attributes and default input handling.
#include <QAccessible>
#include <algorithm>
#include <cctype>

#include "platform/Events.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

CControlUI::CControlUI() : m_widget(std::make_unique<CControlWidget>(*this)) {}

CControlUI::~CControlUI() {
    if (m_manager) m_manager->ReapObjects(this);
    DisposeWidget(std::move(m_widget));
}

void CControlUI::SetName(std::string_view name) {
    m_name = name;
    m_widget->setObjectName(ToQString(name));
    UpdateAccessibility();
}

std::string_view CControlUI::GetClass() const {
    return "ControlUI";
}

bool CControlUI::IsClass(std::string_view className) const {
    const std::string_view cls = GetClass();
    if (EqualsNoCase(cls, className)) return true;
    const auto stripUi = [](std::string_view s) {
        return s.size() > 2 && EqualsNoCase(s.substr(s.size() - 2), "UI")
                   ? s.substr(0, s.size() - 2)
                   : s;
    };
    return EqualsNoCase(stripUi(cls), stripUi(className));
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    if (m_manager && m_manager != manager) m_manager->ReapObjects(this);
    m_manager = manager;
    if (m_parent != parent) {
        m_parent = parent;
        if (parent) m_widget->setParent(parent->GetWidget());
    }
    ApplyWidgetVisibility();
    if (init && manager && !m_inited) {
        m_inited = true;
        DoInit();
    }
}

CControlUI* CControlUI::FindControl(const std::function<bool(CControlUI*)>& match) {
    return match(this) ? this : nullptr;
}

std::string CControlUI::GetText() const {
    if (!m_resourceText) return m_text;
    return CResourceManager::Instance().GetText(m_text);
}

void CControlUI::SetText(std::string_view text) {
    if (m_text == text) return;
    m_text = text;
    UpdateAccessibility();
    NeedParentUpdate();
}

void CControlUI::SetResourceText(bool resourceText) {
    if (m_resourceText == resourceText) return;
    m_resourceText = resourceText;
    ReloadText();
}

void CControlUI::ReloadText() {
    m_widget->setToolTip(ToQString(GetToolTip()));
    UpdateAccessibility();
    NeedParentUpdate();
}

std::string CControlUI::GetToolTip() const {
    if (!m_resourceText || m_toolTip.empty()) return m_toolTip;
    return CResourceManager::Instance().GetText(m_toolTip);
}

void CControlUI::SetToolTip(std::string_view toolTip) {
    m_toolTip = toolTip;
    m_widget->setToolTip(ToQString(GetToolTip()));
    UpdateAccessibility();
}

std::string CControlUI::GetVirtualWnd() const {
    if (!m_virtualWnd.empty() || !m_parent) return m_virtualWnd;
    return m_parent->GetVirtualWnd();
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    ApplyWidgetVisibility();
    NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    m_widget->setEnabled(enabled);
    Invalidate();
}

void CControlUI::SetMouseEnabled(bool enabled) {
    m_mouseEnabled = enabled;
    m_widget->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

bool CControlUI::IsFocused() const {
    return m_manager && m_manager->GetFocus() == this;
}

void CControlUI::SetFocus() {
    if (m_manager) m_manager->SetFocus(this);
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

void CControlUI::SetCursor(UICursor cursor) {
    static constexpr Qt::CursorShape kShapes[] = {Qt::ArrowCursor, Qt::PointingHandCursor,
                                                  Qt::IBeamCursor, Qt::SizeHorCursor,
                                                  Qt::SizeVerCursor};
    m_widget->setCursor(kShapes[static_cast<int>(cursor)]);
}

void CControlUI::SetPos(const UIRect& rc, bool needInvalidate) {
    UIRect fixed = rc;
    if (fixed.right < fixed.left) fixed.right = fixed.left;
    if (fixed.bottom < fixed.top) fixed.bottom = fixed.top;
    m_pos = fixed;
    const UIRect parentPos = m_parent ? m_parent->GetPos() : UIRect{};
    m_widget->setGeometry(ToQRect(fixed.Offset(-parentPos.left, -parentPos.top)));
    if (needInvalidate) Invalidate();
}

void CControlUI::SetFixedWidth(int cx) {
    m_fixedSize.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    m_fixedSize.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx) {
    m_minSize.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx) {
    m_maxSize.cx = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy) {
    m_minSize.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy) {
    m_maxSize.cy = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetPadding(const UIRect& padding) {
    m_padding = padding;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
    m_float = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(const UIRect& pos) {
    m_floatPos = pos;
    NeedParentUpdate();
}

UISize CControlUI::EstimateSize(UISize) {
    return {Scale(m_fixedSize.cx), Scale(m_fixedSize.cy)};
}

void CControlUI::SetBkColor(UIColor color) {
    m_bkColor = color;
    Invalidate();
}

void CControlUI::SetBorderColor(UIColor color) {
    m_borderColor = color;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    m_borderSize = std::max(0, size);
    Invalidate();
}

void CControlUI::SetBorderRound(UISize round) {
    m_borderRound = round;
    Invalidate();
}

void CControlUI::SetBkImage(std::string_view image) {
    m_bkImage = image;
    Invalidate();
}

void CControlUI::SetForeImage(std::string_view image) {
    m_foreImage = image;
    Invalidate();
}

void CControlUI::Invalidate() {
    if (m_widget) m_widget->update();
}

void CControlUI::NeedUpdate() {
    if (m_manager) m_manager->NeedUpdate();
    Invalidate();
}

void CControlUI::NeedParentUpdate() {
    if (m_parent) {
        m_parent->NeedUpdate();
    } else {
        NeedUpdate();
    }
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.type) {
        case UIEventType::ContextMenu:
            if (m_contextMenuUsed && m_manager) {
                m_manager->SendNotify(this, "menu", 0, 0);
                return;
            }
            break;
        case UIEventType::Timer:
        case UIEventType::MouseEnter:
        case UIEventType::MouseLeave:
        case UIEventType::MouseMove:
        case UIEventType::KeyDown:
        case UIEventType::KeyUp:
        case UIEventType::Char:
        case UIEventType::SetFocus:
        case UIEventType::KillFocus:
            return;
        case UIEventType::ButtonDown:
        case UIEventType::ButtonUp:
        case UIEventType::DblClick:
        case UIEventType::RButtonDown:
        case UIEventType::RButtonUp:
        case UIEventType::ScrollWheel:
            break;
    }
    if (m_parent) {
        m_parent->DoEvent(event);
    } else if (event.type == UIEventType::ButtonDown && m_manager && m_manager->GetHost()) {
        m_manager->HandleUnclaimedButtonDown(event.mouse);
    }
}

void CControlUI::ApplyWidgetVisibility() {
    const bool placed = m_widget->parentWidget() != nullptr;
    m_widget->setVisible(placed && m_visible);
}

void CControlUI::UpdateAccessibility() {
    m_widget->setAccessibleDescription(ToQString(m_name));
    const std::string text = GetText();
    m_widget->setAccessibleName(ToQString(text.empty() ? GetToolTip() : text));
}

int CControlUI::Scale(int value) const {
    return m_manager ? m_manager->ScaleValue(value) : value;
}

UIRect CControlUI::Scale(const UIRect& rc) const {
    return m_manager ? m_manager->ScaleRect(rc) : rc;
}
