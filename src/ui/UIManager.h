#pragma once
// CPaintManagerUI: one per window. Owns the control tree, finds controls, delivers
// notifications, runs control timers and holds fonts, styles and the DPI zoom.
// Implemented in UIManager.cpp (tree, notifications, timers, focus, groups) and
// UIManagerStyle.cpp (fonts, styles, DPI).
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/UIControl.h"

struct TFontInfo {
    std::string face;
    int size = 12;  // pixel size at 96 DPI
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class CWindowHost;  // the window side, inside the library

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Process-wide. The program folder ends with '/'. MessageLoop runs the UI event
    // loop until PostQuitMessage and returns its exit code.
    static std::string GetInstancePath();
    static void SetResourcePath(std::string_view folder);  // same as CResourceManager's
    static std::string GetResourcePath();
    static int MessageLoop();

    // Window binding, done by the window base.
    void Init(CWindowHost* host);
    CWindowHost* GetHost() const { return m_host; }
    WindowHandle GetPaintWindow() const;
    void SetPaintWindow(WindowHandle window);

    // The tree. AttachDialog replaces the root (the old tree is deleted), joins every
    // control to this manager and lays it out.
    bool AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const;
    std::unique_ptr<CControlUI> DetachRoot();

    // Window attributes from the layout's <Window> element (logical pixels).
    UISize GetInitSize() const;
    void SetInitSize(int cx, int cy);
    UIRect GetCaptionRect() const;
    void SetCaptionRect(const UIRect& rc);
    UISize GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    UISize GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy);
    UISize GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy);
    UISize GetClientSize() const;  // window pixels
    // True when a button press at `point` (client coordinates) may drag the window.
    bool IsInCaption(UIPoint point) const;
    // A left button press that no control used: drags the window in the caption.
    void HandleUnclaimedButtonDown(UIPoint point);

    // Lookup. Names compare exactly; classes as CControlUI::IsClass. Null when absent.
    CControlUI* FindControl(std::string_view name) const;
    CControlUI* FindControl(UIPoint point) const;  // topmost visible control there
    CControlUI* FindSubControlByName(CControlUI* parent, std::string_view name) const;
    CControlUI* FindSubControlByClass(CControlUI* parent, std::string_view className,
                                      int index = 0) const;
    std::vector<CControlUI*> FindSubControlsByClass(CControlUI* parent,
                                                    std::string_view className) const;

    // Notifications reach, in this order: the notifiers (the window first, as it
    // registers itself), each of which may pump them on to its virtual windows.
    // Synchronous unless `async`, which queues the delivery (dropped when the sender
    // is deleted first).
    void SendNotify(CControlUI* control, std::string_view type, WPARAM wParam = 0,
                    LPARAM lParam = 0, bool async = false);
    void SendNotify(TNotifyUI& msg, bool async = false);
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    // Runs the filters over a window message; the window base calls this first.
    LRESULT FilterMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam, bool& handled);

    // Control timers: repeating until killed; setting an existing id restarts it;
    // intervals under 10 ms run at 10 ms. Each tick sends "timer" (wParam = id) and a
    // Timer event to the control. Timers die with their control.
    bool SetTimer(CControlUI* control, unsigned id, unsigned elapseMs);
    bool KillTimer(CControlUI* control, unsigned id);
    void KillTimer(CControlUI* control);  // all of the control's timers
    void RemoveAllTimers();

    // Keyboard focus among the controls.
    CControlUI* GetFocus() const;
    void SetFocus(CControlUI* control);

    // Option groups (names are per window).
    void AddOptionGroup(std::string_view group, CControlUI* control);
    std::vector<CControlUI*> GetOptionGroup(std::string_view group) const;
    void RemoveOptionGroup(std::string_view group, CControlUI* control);

    // Fonts by id. Shared fonts serve every window; a window's own fonts come first.
    // Sizes are pixel sizes at 96 DPI.
    bool AddFont(int id, std::string_view face, int size, bool bold, bool underline, bool italic,
                 bool shared = false);
    void SetDefaultFont(std::string_view face, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    // Removes this window's fonts and the shared ones; the default font returns to
    // the built-in one.
    void RemoveAllFonts();
    const TFontInfo* GetFontInfo(int id) const;  // null when unknown
    TFontInfo GetDefaultFontInfo() const;

    // Named attribute lists for the "style" attribute, and default attribute lists
    // applied to every control of a tag before its own attributes.
    void AddStyle(std::string_view name, std::string_view attributes, bool shared = false);
    std::string GetStyle(std::string_view name) const;  // empty when unknown
    void AddDefaultAttributeList(std::string_view tag, std::string_view attributes,
                                 bool shared = false);
    std::string GetDefaultAttributeList(std::string_view tag) const;

    // DPI zoom on logical pixels: 96 = 1.0. SetDPI also rescales the window's size by
    // new/old and lays out again. SetAllDPI applies to every window.
    int GetDPI() const;
    void SetDPI(int dpi);
    static void SetAllDPI(int dpi);
    void ResetDPIAssets();  // drops cached scaled images and fonts
    double GetScale() const;
    int ScaleValue(int value) const;
    UIRect ScaleRect(const UIRect& rc) const;
    UISize ScaleSize(UISize size) const;

    // Repaint and layout.
    void NeedUpdate();  // lay out the whole tree again soon, then repaint
    void Invalidate();
    void UpdateLayout();  // now; the window calls this on resize

    // Every live manager, for language reloads and SetAllDPI.
    static void ForEachManager(const std::function<void(CPaintManagerUI&)>& fn);

    // Called by CControlUI when it is deleted or leaves the tree.
    void ReapObjects(CControlUI* control);

    struct Impl;  // inside the library

private:
    void FlushAsyncNotifications();
    std::unique_ptr<Impl> m_impl;
    CWindowHost* m_host = nullptr;
};
