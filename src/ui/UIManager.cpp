// CPaintManagerUI: tree, lookup, notifications, control timers, focus, option groups.
#include "ui/UIManager.h"

#include <QCoreApplication>
#include <QCursor>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>
#include <map>

#include "platform/Events.h"
#include "platform/Platform.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManagerPrivate.h"
#include "ui/UIResource.h"
#include "ui/UIWindowHost.h"

namespace {

constexpr unsigned kMinimumControlTimerMs = 10;

std::vector<CPaintManagerUI*>& Managers() {
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

}  // namespace

void CManagerObject::timerEvent(QTimerEvent* event) {
    const auto it = std::find_if(m_impl.timers.begin(), m_impl.timers.end(),
                                 [&](const ControlTimer& t) { return t.qtId == event->timerId(); });
    if (it == m_impl.timers.end()) return;
    CControlUI* control = it->control;
    const unsigned id = it->id;
    TEventUI timerEvent;
    timerEvent.type = UIEventType::Timer;
    timerEvent.sender = control;
    timerEvent.timestamp = TickCount();
    timerEvent.wParam = id;
    control->DoEvent(timerEvent);
    // The event handler may have killed the timer or deleted the control.
    const bool alive =
        std::any_of(m_impl.timers.begin(), m_impl.timers.end(),
                    [&](const ControlTimer& t) { return t.qtId == event->timerId(); });
    if (alive) m_impl.owner.SendNotify(control, "timer", id, 0);
}

CPaintManagerUI::CPaintManagerUI() : m_impl(std::make_unique<Impl>(*this)) {
    Managers().push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    std::erase(Managers(), this);
    RemoveAllTimers();
    m_impl->root.reset();
}

std::string CPaintManagerUI::GetInstancePath() {
    return ProgramFolder();
}

void CPaintManagerUI::SetResourcePath(std::string_view folder) {
    CResourceManager::Instance().SetResourcePath(folder);
}

std::string CPaintManagerUI::GetResourcePath() {
    return CResourceManager::Instance().GetResourcePath();
}

int CPaintManagerUI::MessageLoop() {
    return QCoreApplication::exec();
}

void CPaintManagerUI::Init(CWindowHost* host) {
    m_host = host;
}

WindowHandle CPaintManagerUI::GetPaintWindow() const {
    return m_impl->window;
}

void CPaintManagerUI::SetPaintWindow(WindowHandle window) {
    m_impl->window = window;
}

bool CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    m_impl->root.reset();
    if (!root) return false;
    m_impl->root = std::move(root);
    CControlUI* raw = m_impl->root.get();
    raw->GetWidget()->setParent(m_host);
    raw->SetManager(this, nullptr, true);
    UpdateLayout();
    return true;
}

CControlUI* CPaintManagerUI::GetRoot() const {
    return m_impl->root.get();
}

std::unique_ptr<CControlUI> CPaintManagerUI::DetachRoot() {
    if (!m_impl->root) return nullptr;
    m_impl->root->GetWidget()->setParent(nullptr);
    m_impl->root->SetManager(nullptr, nullptr, false);
    return std::move(m_impl->root);
}

UISize CPaintManagerUI::GetInitSize() const {
    return m_impl->initSize;
}
void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_impl->initSize = {cx, cy};
}
UIRect CPaintManagerUI::GetCaptionRect() const {
    return m_impl->caption;
}
void CPaintManagerUI::SetCaptionRect(const UIRect& rc) {
    m_impl->caption = rc;
}
UISize CPaintManagerUI::GetMinInfo() const {
    return m_impl->minInfo;
}
void CPaintManagerUI::SetMinInfo(int cx, int cy) {
    m_impl->minInfo = {cx, cy};
}
UISize CPaintManagerUI::GetMaxInfo() const {
    return m_impl->maxInfo;
}
void CPaintManagerUI::SetMaxInfo(int cx, int cy) {
    m_impl->maxInfo = {cx, cy};
}
UISize CPaintManagerUI::GetRoundCorner() const {
    return m_impl->roundCorner;
}
void CPaintManagerUI::SetRoundCorner(int cx, int cy) {
    m_impl->roundCorner = {cx, cy};
}

UISize CPaintManagerUI::GetClientSize() const {
    return m_host ? m_host->ClientSize() : ScaleSize(m_impl->initSize);
}

bool CPaintManagerUI::IsInCaption(UIPoint point) const {
    const UIRect caption = ScaleRect(m_impl->caption);
    const UISize client = GetClientSize();
    return point.x >= caption.left && point.x < client.cx - caption.right &&
           point.y >= caption.top && point.y < caption.bottom;
}

void CPaintManagerUI::HandleUnclaimedButtonDown(UIPoint point) {
    if (m_host && IsInCaption(point)) m_host->StartSystemMove();
}

CControlUI* CPaintManagerUI::FindControl(std::string_view name) const {
    return FindSubControlByName(nullptr, name);
}

CControlUI* CPaintManagerUI::FindControl(UIPoint point) const {
    CControlUI* root = GetRoot();
    if (!root || !root->GetPos().Contains(point)) return nullptr;
    QWidget* widget =
        root->GetWidget()->childAt(point.x - root->GetPos().left, point.y - root->GetPos().top);
    for (; widget; widget = widget->parentWidget()) {
        if (auto* cw = qobject_cast<CControlWidget*>(widget); cw && cw->Control())
            return cw->Control();
    }
    return root;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, std::string_view name) const {
    CControlUI* from = parent ? parent : GetRoot();
    if (!from || name.empty()) return nullptr;
    return from->FindControl([name](CControlUI* c) { return c->GetName() == name; });
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, std::string_view className,
                                                   int index) const {
    const auto all = FindSubControlsByClass(parent, className);
    return index >= 0 && index < static_cast<int>(all.size()) ? all[index] : nullptr;
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* parent,
                                                                 std::string_view className) const {
    std::vector<CControlUI*> found;
    CControlUI* from = parent ? parent : GetRoot();
    if (!from) return found;
    from->FindControl([&](CControlUI* c) {
        if (c != parent && c->IsClass(className)) found.push_back(c);
        return false;
    });
    return found;
}

void CPaintManagerUI::SendNotify(CControlUI* control, std::string_view type, WPARAM wParam,
                                 LPARAM lParam, bool async) {
    TNotifyUI msg;
    msg.type = type;
    msg.sender = control;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
    if (!msg.sender) return;
    msg.timestamp = TickCount();
    if (m_host) {
        const QPoint p = m_host->mapFromGlobal(QCursor::pos());
        msg.mouse = {p.x(), p.y()};
    }
    if (async) {
        m_impl->pending.push_back(msg);
        QTimer::singleShot(0, &m_impl->object, [this] { FlushAsyncNotifications(); });
        return;
    }
    const std::vector<INotifyUI*> notifiers = m_impl->notifiers;
    for (INotifyUI* notifier : notifiers) {
        // A notifier may remove another one while handling.
        if (std::find(m_impl->notifiers.begin(), m_impl->notifiers.end(), notifier) !=
            m_impl->notifiers.end())
            notifier->Notify(msg);
    }
}

void CPaintManagerUI::FlushAsyncNotifications() {
    std::vector<TNotifyUI> pending;
    pending.swap(m_impl->pending);
    for (TNotifyUI& msg : pending) SendNotify(msg, false);
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    auto& list = m_impl->notifiers;
    if (!notifier || std::find(list.begin(), list.end(), notifier) != list.end()) return false;
    list.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    return std::erase(m_impl->notifiers, notifier) > 0;
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    auto& list = m_impl->filters;
    if (!filter || std::find(list.begin(), list.end(), filter) != list.end()) return false;
    list.push_back(filter);
    return true;
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
    return std::erase(m_impl->filters, filter) > 0;
}

LRESULT CPaintManagerUI::FilterMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                       bool& handled) {
    const std::vector<IMessageFilterUI*> filters = m_impl->filters;
    for (IMessageFilterUI* filter : filters) {
        handled = false;
        const LRESULT result = filter->MessageHandler(msg, wParam, lParam, handled);
        if (handled) return result;
    }
    handled = false;
    return 0;
}

bool CPaintManagerUI::SetTimer(CControlUI* control, unsigned id, unsigned elapseMs) {
    if (!control) return false;
    KillTimer(control, id);
    const int interval = static_cast<int>(std::max(elapseMs, kMinimumControlTimerMs));
    const int qtId = m_impl->object.startTimer(interval);
    if (qtId == 0) return false;
    m_impl->timers.push_back({control, id, qtId});
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, unsigned id) {
    auto& timers = m_impl->timers;
    const auto it = std::find_if(timers.begin(), timers.end(), [&](const ControlTimer& t) {
        return t.control == control && t.id == id;
    });
    if (it == timers.end()) return false;
    m_impl->object.killTimer(it->qtId);
    timers.erase(it);
    return true;
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
    std::erase_if(m_impl->timers, [&](const ControlTimer& t) {
        if (t.control != control) return false;
        m_impl->object.killTimer(t.qtId);
        return true;
    });
}

void CPaintManagerUI::RemoveAllTimers() {
    for (const ControlTimer& t : m_impl->timers) m_impl->object.killTimer(t.qtId);
    m_impl->timers.clear();
}

CControlUI* CPaintManagerUI::GetFocus() const {
    return m_impl->focus;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (m_impl->focus == control) return;
    m_impl->focus = control;
    if (control && !control->GetWidget()->hasFocus()) control->GetWidget()->setFocus();
}

void CPaintManagerUI::AddOptionGroup(std::string_view group, CControlUI* control) {
    auto& members = m_impl->groups[std::string(group)];
    if (std::find(members.begin(), members.end(), control) == members.end())
        members.push_back(control);
}

std::vector<CControlUI*> CPaintManagerUI::GetOptionGroup(std::string_view group) const {
    const auto it = m_impl->groups.find(group);
    return it == m_impl->groups.end() ? std::vector<CControlUI*>{} : it->second;
}

void CPaintManagerUI::RemoveOptionGroup(std::string_view group, CControlUI* control) {
    const auto it = m_impl->groups.find(group);
    if (it == m_impl->groups.end()) return;
    std::erase(it->second, control);
    if (it->second.empty()) m_impl->groups.erase(it);
}

void CPaintManagerUI::NeedUpdate() {
    if (m_impl->updatePending) return;
    m_impl->updatePending = true;
    QTimer::singleShot(0, &m_impl->object, [this] { UpdateLayout(); });
}

void CPaintManagerUI::Invalidate() {
    if (m_host) m_host->update();
    if (CControlUI* root = GetRoot()) {
        root->FindControl([](CControlUI* c) {
            c->Invalidate();
            return false;
        });
    }
}

void CPaintManagerUI::UpdateLayout() {
    m_impl->updatePending = false;
    CControlUI* root = GetRoot();
    if (!root) return;
    const UISize size = GetClientSize();
    root->SetPos({0, 0, size.cx, size.cy}, true);
}

void CPaintManagerUI::ForEachManager(const std::function<void(CPaintManagerUI&)>& fn) {
    const std::vector<CPaintManagerUI*> managers = Managers();
    for (CPaintManagerUI* manager : managers) {
        if (std::find(Managers().begin(), Managers().end(), manager) != Managers().end())
            fn(*manager);
    }
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    if (!control) return;
    KillTimer(control);
    if (m_impl->focus == control) m_impl->focus = nullptr;
    for (auto it = m_impl->groups.begin(); it != m_impl->groups.end();) {
        std::erase(it->second, control);
        it = it->second.empty() ? m_impl->groups.erase(it) : std::next(it);
    }
    std::erase_if(m_impl->pending, [&](const TNotifyUI& m) { return m.sender == control; });
}
