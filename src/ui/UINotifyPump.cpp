// CNotifyPump: notification routing by type and by virtual window.
#include "ui/UIWindow.h"

bool CNotifyPump::AddVirtualWnd(std::string_view name, CNotifyPump* pump) {
    if (name.empty() || !pump || m_virtualWnds.contains(name)) return false;
    m_virtualWnds.emplace(std::string(name), pump);
    return true;
}

bool CNotifyPump::RemoveVirtualWnd(std::string_view name) {
    const auto it = m_virtualWnds.find(name);
    if (it == m_virtualWnds.end()) return false;
    m_virtualWnds.erase(it);
    return true;
}

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (msg.sender) {
        const std::string virtualWnd = msg.sender->GetVirtualWnd();
        if (const auto it = m_virtualWnds.find(virtualWnd); it != m_virtualWnds.end())
            it->second->LoopDispatch(msg);
    }
    LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    const auto it = m_handlers.find(msg.type);
    if (it == m_handlers.end()) return false;
    it->second(msg);
    return true;
}

void CNotifyPump::AddNotifyHandler(std::string_view type, Handler handler) {
    m_handlers[std::string(type)] = std::move(handler);
}
