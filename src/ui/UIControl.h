#pragma once
// CControlUI: the base of every control in a layout tree. Implemented by the core in
// UIControl.cpp, UIControlPaint.cpp (attributes, default painting), UIControlWidget.cpp
// (the widget) and UIConvert.cpp (attribute value parsing).
//
// Each control owns one widget (CControlWidget, private to the library) that paints
// through DoPaint() and forwards input to DoEvent(), so program-defined controls that
// derive from these classes in plain C++ can paint and react. Controls need the
// application object to exist before they are constructed.
//
// Units: attribute values (sizes, paddings, positions, border sizes) are logical
// pixels at 96 DPI; GetPos() is in window client coordinates after the window's DPI
// zoom, which is also what the drawing helpers of CRenderContext take.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/UIDefs.h"

class CPaintManagerUI;
class CRenderContext;
class CControlWidget;

enum class UICursor { Arrow, Hand, IBeam, SizeWE, SizeNS };

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Identity. GetClass() names the C++ class ("ButtonUI"); IsClass() compares
    // case-insensitively and also accepts the name without its "UI" suffix.
    const std::string& GetName() const { return m_name; }
    virtual void SetName(std::string_view name);
    virtual std::string_view GetClass() const;
    bool IsClass(std::string_view className) const;

    // Tree. A control belongs to at most one parent and one paint manager; the
    // parent container owns it.
    CPaintManagerUI* GetManager() const { return m_manager; }
    CControlUI* GetParent() const { return m_parent; }
    // Called by containers and the builder; `init` runs DoInit() once.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    // Depth-first, this control first; containers search their children.
    virtual CControlUI* FindControl(const std::function<bool(CControlUI*)>& match);
    // Runs once, when the control first joins a window.
    virtual void DoInit() {}

    // Text. In resource-text mode the stored text is a language key: the control
    // shows, and GetText() returns, the language text of that key.
    virtual std::string GetText() const;
    virtual void SetText(std::string_view text);
    const std::string& GetRawText() const { return m_text; }
    bool IsResourceText() const { return m_resourceText; }
    virtual void SetResourceText(bool resourceText);
    // The language changed: re-resolve texts (containers recurse).
    virtual void ReloadText();
    std::string GetToolTip() const;  // resolved like the text in resource-text mode
    virtual void SetToolTip(std::string_view toolTip);
    const std::string& GetUserData() const { return m_userData; }
    void SetUserData(std::string_view userData) { m_userData = userData; }
    std::uintptr_t GetTag() const { return m_tag; }
    void SetTag(std::uintptr_t tag) { m_tag = tag; }
    // Notify pump that receives this control's notifications as well ("virtualwnd");
    // inherited from the parent when not set.
    std::string GetVirtualWnd() const;
    void SetVirtualWnd(std::string_view name) { m_virtualWnd = name; }

    // State
    bool IsVisible() const { return m_visible; }
    virtual void SetVisible(bool visible = true);
    bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const { return m_mouseEnabled; }
    void SetMouseEnabled(bool enabled);
    bool IsFocused() const;
    virtual void SetFocus();
    // The control's default action (a click for buttons); false when not visible
    // or disabled.
    virtual bool Activate();
    // "menu" notification on a right click ("menu" attribute).
    bool IsContextMenuUsed() const { return m_contextMenuUsed; }
    void SetContextMenuUsed(bool used) { m_contextMenuUsed = used; }
    // True between a left button press on this control and its release.
    bool IsMouseCaptured() const { return m_captured; }
    void SetCursor(UICursor cursor);

    // Geometry
    const UIRect& GetPos() const { return m_pos; }
    virtual void SetPos(const UIRect& rc, bool needInvalidate = true);
    int GetFixedWidth() const { return m_fixedSize.cx; }  // 0 = take a share of the space
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return m_fixedSize.cy; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return m_minSize.cx; }
    void SetMinWidth(int cx);
    int GetMaxWidth() const { return m_maxSize.cx; }
    void SetMaxWidth(int cx);
    int GetMinHeight() const { return m_minSize.cy; }
    void SetMinHeight(int cy);
    int GetMaxHeight() const { return m_maxSize.cy; }
    void SetMaxHeight(int cy);
    const UIRect& GetPadding() const { return m_padding; }
    void SetPadding(const UIRect& padding);
    // A floating control ignores the flow of its container and sits at its "pos",
    // relative to the container's inner top-left corner.
    bool IsFloat() const { return m_float; }
    void SetFloat(bool isFloat);
    const UIRect& GetFloatPos() const { return m_floatPos; }
    void SetFloatPos(const UIRect& pos);
    // Wanted size in window pixels for the space offered; 0 in a dimension lets the
    // container decide. The default is the fixed size, scaled.
    virtual UISize EstimateSize(UISize available);

    // Look
    UIColor GetBkColor() const { return m_bkColor; }
    void SetBkColor(UIColor color);
    UIColor GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(UIColor color);
    int GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(int size);
    UISize GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(UISize round);
    const std::string& GetBkImage() const { return m_bkImage; }
    void SetBkImage(std::string_view image);
    const std::string& GetForeImage() const { return m_foreImage; }
    void SetForeImage(std::string_view image);

    // Attributes from layouts, styles and program code. Unknown names are ignored.
    virtual void SetAttribute(std::string_view name, std::string_view value);
    // name="value" pairs separated by spaces, as in a style or default attribute list.
    void ApplyAttributeList(std::string_view list);

    // Painting: DoPaint() calls the Paint* steps in this order; each may be
    // overridden. Coordinates are window client coordinates (GetPos()).
    virtual void DoPaint(CRenderContext& ctx);
    virtual void PaintBkColor(CRenderContext& ctx);
    virtual void PaintBkImage(CRenderContext& ctx);
    virtual void PaintStatusImage(CRenderContext& ctx);
    virtual void PaintForeImage(CRenderContext& ctx);
    virtual void PaintText(CRenderContext& ctx);
    virtual void PaintBorder(CRenderContext& ctx);
    // Draws an image description over the whole control.
    bool DrawImage(CRenderContext& ctx, std::string_view description);
    void Invalidate();        // repaint soon
    void NeedUpdate();        // lay out this control's children again, then repaint
    void NeedParentUpdate();  // the control's size may have changed

    // Input. The default forwards mouse buttons, wheel and context menu to the parent
    // (so a click on a label inside a row reaches the row) and, at the root, to the
    // window (caption dragging); "menu" is sent for a context menu when enabled.
    virtual void DoEvent(TEventUI& event);

    // The control's widget; meaningful inside the library only.
    CControlWidget* GetWidget() const { return m_widget.get(); }

protected:
    // Widget visibility follows the control's own flag and its container's choice.
    void ApplyWidgetVisibility();
    // Updates accessible name/description after a name, text or tool tip change.
    void UpdateAccessibility();
    int Scale(int value) const;
    UIRect Scale(const UIRect& rc) const;

    CPaintManagerUI* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    std::string m_name;
    std::string m_text;
    std::string m_toolTip;
    std::string m_userData;
    std::string m_virtualWnd;
    std::uintptr_t m_tag = 0;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_mouseEnabled = true;
    bool m_resourceText = false;
    bool m_contextMenuUsed = false;
    bool m_captured = false;
    bool m_float = false;
    bool m_inited = false;
    UIRect m_pos;
    UIRect m_floatPos;
    UISize m_fixedSize;
    UISize m_minSize;
    UISize m_maxSize{9999, 9999};
    UIRect m_padding;
    UIColor m_bkColor = 0;
    UIColor m_borderColor = 0;
    int m_borderSize = 0;
    UISize m_borderRound;
    std::string m_bkImage;
    std::string m_foreImage;

private:
    friend class CControlWidget;
    void SetCaptured(bool captured) { m_captured = captured; }
    std::unique_ptr<CControlWidget> m_widget;
};

// Parses "l,t,r,b", "cx,cy" and "#AARRGGBB"/"#RRGGBB"/"0x..." values the way layouts
// write them; malformed parts read as 0.
UIRect ParseUIRect(std::string_view text);
UISize ParseUISize(std::string_view text);
UIColor ParseUIColor(std::string_view text);
bool ParseUIBool(std::string_view text);
