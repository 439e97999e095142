// WindowImplBase: creation, message handling, lifetime and the modal loop.
#include "ui/UIWindow.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <map>

#include "ui/UIContainer.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIResource.h"
#include "ui/UIWindowHost.h"

namespace {

std::map<WindowHandle, WindowImplBase*>& OpenWindows() {
    static std::map<WindowHandle, WindowImplBase*> windows;
    return windows;
}

Qt::WindowFlags FlagsOf(std::uint32_t exStyle) {
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (exStyle & UIStyle::ExToolWindow) flags = Qt::Tool | Qt::FramelessWindowHint;
    if (exStyle & UIStyle::ExTopMost) flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

// The host goes now, or after the input event being handled (it may be its own).
void DisposeHost(QPointer<CWindowHost>& host) {
    if (!host) return;
    host->DetachWindow();
    if (IsDispatchingInput()) {
        host->hide();
        host->deleteLater();
    } else {
        delete host.data();
    }
    host = nullptr;
}

}  // namespace

// A running modal loop; shared so that the loop's caller can read the result even
// when the window object deleted itself on closing.
struct ModalState {
    QEventLoop* loop = nullptr;
    int result = -1;
};

struct WindowImplBase::Impl {
    QPointer<CWindowHost> host;
    WindowHandle handle = kNoWindow;
    WindowHandle owner = kNoWindow;
    std::shared_ptr<ModalState> modal;
    bool destroyed = false;
};

WindowImplBase::WindowImplBase() : m_impl(std::make_unique<Impl>()) {}

// Torn down without callbacks: the derived part is already gone.
WindowImplBase::~WindowImplBase() {
    if (m_impl->handle != kNoWindow) {
        UnregisterMessageTarget(m_impl->handle);
        OpenWindows().erase(m_impl->handle);
    }
    if (CResourceManager::Instance().GetTextQueryInterface() == this)
        CResourceManager::Instance().SetTextQueryInterface(nullptr);
    if (m_impl->modal && m_impl->modal->loop) m_impl->modal->loop->exit(-1);
    m_paintManager.RemoveNotifier(this);
    m_paintManager.RemoveAllTimers();
    m_paintManager.AttachDialog(nullptr);
    if (m_impl->host) m_impl->host->DetachWindow();
    m_paintManager.Init(nullptr);
    DisposeHost(m_impl->host);
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.type == "click") OnClick(msg);
    NotifyPump(msg);
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
    const std::string& name = msg.sender->GetName();
    if (name == "closebtn")
        Close(kIdCancel);
    else if (name == "minbtn")
        SendMessage(Msg::SysCommand, SysCmd::Minimize, 0);
    else if (name == "maxbtn")
        SendMessage(Msg::SysCommand, SysCmd::Maximize, 0);
    else if (name == "restorebtn")
        SendMessage(Msg::SysCommand, SysCmd::Restore, 0);
}

LRESULT WindowImplBase::HandleCustomMessage(std::uint32_t, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(WPARAM command, LPARAM, bool& handled) {
    handled = true;
    CWindowHost* host = m_impl->host;
    if (!host) return 0;
    switch (command) {
        case SysCmd::Minimize:
            host->showMinimized();
            break;
        case SysCmd::Maximize:
            host->showMaximized();
            break;
        case SysCmd::Restore:
            host->showNormal();
            break;
        case SysCmd::Close:
            Close(0);
            break;
        default:
            handled = false;
    }
    return 0;
}

std::unique_ptr<CControlUI> WindowImplBase::CreateControl(std::string_view) {
    return nullptr;
}

std::string WindowImplBase::QueryControlText(std::string_view, std::string_view) {
    return {};
}

bool WindowImplBase::ResponseDefaultKeyEvent(int key) {
    if (key != VKey::Escape) return false;
    Close(kIdCancel);
    return true;
}

LRESULT WindowImplBase::HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                      bool& handled) {
    const LRESULT filtered = m_paintManager.FilterMessage(msg, wParam, lParam, handled);
    if (handled) return filtered;
    if (msg == Msg::SysCommand) {
        const LRESULT result = OnSysCommand(wParam, lParam, handled);
        if (handled) return result;
    }
    if (msg == Msg::Close) {
        bool vetoed = false;
        HandleCustomMessage(msg, wParam, lParam, vetoed);
        handled = true;
        if (!vetoed) DestroyWindow(static_cast<int>(wParam));  // may delete this
        return 0;
    }
    return HandleCustomMessage(msg, wParam, lParam, handled);
}

bool WindowImplBase::Create(WindowHandle parent, std::string_view title, std::uint32_t style,
                            std::uint32_t exStyle, int x, int y, int cx, int cy) {
    if (m_impl->host || m_impl->destroyed) return false;
    auto* host = new CWindowHost(*this, m_paintManager, nullptr, FlagsOf(exStyle));
    m_impl->host = host;
    m_impl->owner = parent;
    host->setObjectName(ToQString(GetWindowClassName()));
    host->setWindowTitle(ToQString(title));
    host->setAttribute(Qt::WA_ShowWithoutActivating, (exStyle & UIStyle::ExNoActivate) != 0);
    m_impl->handle = RegisterMessageTarget(this);
    OpenWindows()[m_impl->handle] = this;
    m_paintManager.Init(host);
    m_paintManager.SetPaintWindow(m_impl->handle);
    m_paintManager.AddNotifier(this);
    BuildLayout();
    const UISize init = m_paintManager.GetInitSize();
    const UISize size = m_paintManager.ScaleSize({cx > 0 ? cx : init.cx, cy > 0 ? cy : init.cy});
    const UISize minSize = m_paintManager.ScaleSize(m_paintManager.GetMinInfo());
    host->setMinimumSize(minSize.cx, minSize.cy);
    host->setGeometry(x, y, std::max(size.cx, 1), std::max(size.cy, 1));
    m_paintManager.UpdateLayout();  // a hidden window gets no resize event yet
    SetOwnerAsTransientParent();
    InitWindow();
    if (style & UIStyle::Visible) ShowWindow(true, !(exStyle & UIStyle::ExNoActivate));
    return true;
}

// A window whose layout cannot be built still gets an (empty) root, so that its
// notifications and lifetime work as usual.
void WindowImplBase::BuildLayout() {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(GetSkinFile(), {}, this, &m_paintManager);
    if (!root) root = std::make_unique<CVerticalLayoutUI>();
    m_paintManager.AttachDialog(std::move(root));
}

void WindowImplBase::SetOwnerAsTransientParent() {
    const auto it = OpenWindows().find(m_impl->owner);
    if (it == OpenWindows().end() || !it->second->m_impl->host) return;
    m_impl->host->winId();
    it->second->m_impl->host->winId();
    m_impl->host->windowHandle()->setTransientParent(it->second->m_impl->host->windowHandle());
}

WindowHandle WindowImplBase::GetHWND() const {
    return m_impl->handle;
}

bool WindowImplBase::IsCreated() const {
    return m_impl->host && !m_impl->destroyed;
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    CWindowHost* host = m_impl->host;
    if (!host || m_impl->destroyed) return;
    host->setVisible(show);
    if (show && takeFocus) BringToFront();
}

int WindowImplBase::ShowModal() {
    CWindowHost* host = m_impl->host;
    if (!host || m_impl->destroyed) return -1;
    auto state = std::make_shared<ModalState>();
    QEventLoop loop;
    state->loop = &loop;
    m_impl->modal = state;
    if (host->isVisible()) host->hide();  // modality applies when shown
    host->setWindowModality(Qt::ApplicationModal);
    ShowWindow(true);
    loop.exec();
    // `this` may be gone now (a window may delete itself when it closes).
    state->loop = nullptr;
    return state->result;
}

void WindowImplBase::Close(int result) {
    if (m_impl->handle != kNoWindow)
        ::PostMessage(m_impl->handle, Msg::Close, static_cast<WPARAM>(result), 0);
}

void WindowImplBase::DestroyWindow(int result) {
    if (!m_impl->host || m_impl->destroyed) return;
    m_impl->destroyed = true;
    m_impl->host->hide();
    OnDestroy();
    bool handled = false;
    HandleCustomMessage(Msg::Destroy, 0, 0, handled);
    m_paintManager.RemoveAllTimers();
    UnregisterMessageTarget(m_impl->handle);
    OpenWindows().erase(m_impl->handle);
    if (const auto modal = std::move(m_impl->modal); modal && modal->loop) {
        modal->result = result;
        modal->loop->exit(result);
    }
    OnFinalMessage();  // may delete this: nothing after it
}

void WindowImplBase::OnHostShown() {
    if (m_impl->destroyed) return;
    if (CControlUI* root = m_paintManager.GetRoot()) m_paintManager.SendNotify(root, "windowinit");
}

void WindowImplBase::OnHostCloseRequest() {
    SendMessage(Msg::SysCommand, SysCmd::Close, 0);
}

bool WindowImplBase::OnHostKey(int key) {
    return ResponseDefaultKeyEvent(key);
}

void WindowImplBase::CenterWindow() {
    CWindowHost* host = m_impl->host;
    if (!host) return;
    QRect area;
    const auto it = OpenWindows().find(m_impl->owner);
    if (it != OpenWindows().end() && it->second->m_impl->host && it->second->IsVisible()) {
        area = it->second->m_impl->host->frameGeometry();
    } else if (QScreen* screen =
                   host->screen() ? host->screen() : QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty()) return;
    host->move(area.center() - QPoint(host->width() / 2, host->height() / 2));
}

void WindowImplBase::SetIcon(std::string_view file) {
    if (!m_impl->host) return;
    const std::string path = CResourceManager::Instance().ResolvePath(file);
    m_impl->host->setWindowIcon(QIcon(ToQString(path)));
}

LRESULT WindowImplBase::SendMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_impl->handle, msg, wParam, lParam);
}

bool WindowImplBase::PostMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessage(m_impl->handle, msg, wParam, lParam);
}

bool WindowImplBase::SetWindowTimer(std::uint32_t id, int intervalMs) {
    return ::SetWindowTimer(m_impl->handle, id, intervalMs);
}

void WindowImplBase::KillWindowTimer(std::uint32_t id) {
    ::KillWindowTimer(m_impl->handle, id);
}

void WindowImplBase::Minimize() {
    SendMessage(Msg::SysCommand, SysCmd::Minimize, 0);
}
void WindowImplBase::Maximize() {
    SendMessage(Msg::SysCommand, SysCmd::Maximize, 0);
}
void WindowImplBase::Restore() {
    SendMessage(Msg::SysCommand, SysCmd::Restore, 0);
}

bool WindowImplBase::IsVisible() const {
    return m_impl->host && !m_impl->destroyed && m_impl->host->isVisible();
}

bool WindowImplBase::IsMinimized() const {
    return m_impl->host && m_impl->host->isMinimized();
}
bool WindowImplBase::IsMaximized() const {
    return m_impl->host && m_impl->host->isMaximized();
}

void WindowImplBase::ResizeClient(int cx, int cy) {
    if (m_impl->host) m_impl->host->resize(std::max(cx, 1), std::max(cy, 1));
}

void WindowImplBase::MoveWindow(int x, int y) {
    if (m_impl->host) m_impl->host->move(x, y);
}

UIRect WindowImplBase::GetWindowRect() const {
    return m_impl->host ? FromQRect(m_impl->host->frameGeometry()) : UIRect{};
}

UIPoint WindowImplBase::ClientToScreen(UIPoint point) const {
    if (!m_impl->host) return point;
    const QPoint p = m_impl->host->mapToGlobal(QPoint(point.x, point.y));
    return {p.x(), p.y()};
}

void WindowImplBase::SetTopMost(bool topMost) {
    CWindowHost* host = m_impl->host;
    if (!host || host->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topMost) return;
    const bool visible = host->isVisible();
    host->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (visible) host->show();  // changing flags hides a window
}

void WindowImplBase::BringToFront() {
    if (!m_impl->host) return;
    // The offscreen platform of the tests has no stacking and says so on every raise.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) m_impl->host->raise();
    m_impl->host->activateWindow();
}

void WindowImplBase::SetTitle(std::string_view title) {
    if (m_impl->host) m_impl->host->setWindowTitle(ToQString(title));
}

bool WindowImplBase::SaveScreenshot(const std::string& pngPath) {
    CWindowHost* host = m_impl->host;
    if (!host) return false;
    m_paintManager.UpdateLayout();
    return host->grab().save(ToQString(pngPath), "PNG");
}
