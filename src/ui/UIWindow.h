#pragma once
// The window base that the program's windows derive from, and the notify pump.
// Implemented in UIWindow.cpp (messages, lifetime, modal loop), UIWindowHost.cpp
// (the frameless top-level widget) and UINotifyPump.cpp.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/WindowMessages.h"
#include "ui/UIBuilder.h"
#include "ui/UIManager.h"

// Window style bits given to Create(), numerically the classic WS_* values. Windows
// are always frameless (the layout draws the caption); the bits that matter are
// Visible, MaximizeBox/ThickFrame (resizable), and the extended ToolWindow, TopMost
// and NoActivate.
namespace UIStyle {
inline constexpr std::uint32_t Popup = 0x80000000;
inline constexpr std::uint32_t Visible = 0x10000000;
inline constexpr std::uint32_t ClipSiblings = 0x04000000;
inline constexpr std::uint32_t ClipChildren = 0x02000000;
inline constexpr std::uint32_t Caption = 0x00C00000;
inline constexpr std::uint32_t SysMenu = 0x00080000;
inline constexpr std::uint32_t ThickFrame = 0x00040000;
inline constexpr std::uint32_t MinimizeBox = 0x00020000;
inline constexpr std::uint32_t MaximizeBox = 0x00010000;
inline constexpr std::uint32_t ExTopMost = 0x00000008;
inline constexpr std::uint32_t ExToolWindow = 0x00000080;
inline constexpr std::uint32_t ExNoActivate = 0x08000000;
}  // namespace UIStyle

// Routes notifications by type to handlers (its message map) and on to the pumps
// named by the senders' "virtualwnd".
class CNotifyPump {
public:
    using Handler = std::function<void(TNotifyUI&)>;
    virtual ~CNotifyPump() = default;

    // Notifications of controls whose virtualwnd is `name` go to `pump` as well. The
    // pump must outlive this object or be removed first.
    bool AddVirtualWnd(std::string_view name, CNotifyPump* pump);
    bool RemoveVirtualWnd(std::string_view name);
    // The sender's virtual window pump first (when there is one), then this pump.
    void NotifyPump(TNotifyUI& msg);
    // Runs this pump's handler for msg.type; false when it has none.
    bool LoopDispatch(TNotifyUI& msg);

protected:
    // The message map: one handler per notification type.
    void AddNotifyHandler(std::string_view type, Handler handler);

private:
    std::map<std::string, CNotifyPump*, std::less<>> m_virtualWnds;
    std::map<std::string, Handler, std::less<>> m_handlers;
};

class WindowImplBase : public CNotifyPump,
                       public INotifyUI,
                       public IMessageTarget,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    WindowImplBase();
    ~WindowImplBase() override;  // a window still open is torn down without callbacks
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    // ---- What derived windows provide or override ----
    virtual std::string GetWindowClassName() const = 0;
    // The layout: a resource id ("XML_MAIN"), a skin-relative file or XML text.
    virtual std::string GetSkinFile() = 0;
    // After the layout is attached, before the window is shown.
    virtual void InitWindow() {}
    // Every notification of the window's controls. The default runs OnClick for
    // "click", then the notify pump.
    void Notify(TNotifyUI& msg) override;
    // "closebtn" -> Close(kIdCancel); "minbtn"/"maxbtn"/"restorebtn" -> the system
    // commands.
    virtual void OnClick(TNotifyUI& msg);
    // Messages the base leaves alone (and Msg::Close, Msg::Destroy, Msg::Timer, the
    // program's own numbers). Set `handled` to stop further handling.
    virtual LRESULT HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                        bool& handled);
    // Minimise, maximise, restore and close commands; override to watch or veto.
    virtual LRESULT OnSysCommand(WPARAM command, LPARAM lParam, bool& handled);
    // Tags of the layout the library does not know.
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override;
    // The window is going: after it is hidden, before Msg::Destroy reaches
    // HandleCustomMessage.
    virtual void OnDestroy() {}
    // Last call; the object may delete itself here.
    virtual void OnFinalMessage() {}
    std::string QueryControlText(std::string_view key, std::string_view type) override;
    // Enter and Esc pressed in the window. The default closes on Esc with kIdCancel;
    // true when the key was used.
    virtual bool ResponseDefaultKeyEvent(int key);

    // IMessageTarget: filters, the base's own messages, then HandleCustomMessage.
    LRESULT HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // ---- Operations ----
    // Makes the window, builds its layout and calls InitWindow. Position and size in
    // logical pixels; a size of 0 takes the layout's "size". `parent` owns the window
    // (centring, modality); kNoWindow for none.
    bool Create(WindowHandle parent, std::string_view title, std::uint32_t style,
                std::uint32_t exStyle, int x = 0, int y = 0, int cx = 0, int cy = 0);
    WindowHandle GetHWND() const;
    bool IsCreated() const;
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window modally and returns the value given to Close(), or -1 when the
    // window does not exist. Other windows of the program take no input meanwhile.
    int ShowModal();
    // Asks the window to close (queued): Msg::Close with wParam = result.
    void Close(int result = kIdOk);
    void CenterWindow();  // on the owner when there is one, else on the screen
    void SetIcon(std::string_view file);
    LRESULT SendMessage(std::uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(std::uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Window timers: Msg::Timer with wParam = id reaches HandleCustomMessage.
    bool SetWindowTimer(std::uint32_t id, int intervalMs);
    void KillWindowTimer(std::uint32_t id);

    void Minimize();
    void Maximize();
    void Restore();
    bool IsVisible() const;
    bool IsMinimized() const;
    bool IsMaximized() const;
    void ResizeClient(int cx, int cy);  // window pixels
    void MoveWindow(int x, int y);      // screen position of the top-left corner
    UIRect GetWindowRect() const;       // screen coordinates
    UIPoint ClientToScreen(UIPoint point) const;
    void SetTopMost(bool topMost);
    void BringToFront();
    void SetTitle(std::string_view title);
    // Renders the client area into a PNG file; false when there is no window or the
    // file cannot be written.
    bool SaveScreenshot(const std::string& pngPath);

    CPaintManagerUI& GetPaintManager() { return m_paintManager; }

protected:
    CPaintManagerUI m_paintManager;

private:
    friend class CWindowHost;
    void OnHostShown();
    void OnHostCloseRequest();
    bool OnHostKey(int key);
    void BuildLayout();
    void SetOwnerAsTransientParent();
    void DestroyWindow(int result);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
