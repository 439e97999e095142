#pragma once
// Inside the library only: the state of a paint manager.
#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/UIManager.h"

// Runs the control timers of one manager and is the context of its queued calls, so
// that nothing queued outlives the manager.
class CManagerObject : public QObject {
public:
    explicit CManagerObject(CPaintManagerUI::Impl& impl) : m_impl(impl) {}

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    CPaintManagerUI::Impl& m_impl;
};

struct ControlTimer {
    CControlUI* control = nullptr;
    unsigned id = 0;
    int qtId = 0;
};

struct CPaintManagerUI::Impl {
    explicit Impl(CPaintManagerUI& o) : owner(o), object(*this) {}

    CPaintManagerUI& owner;
    CManagerObject object;
    WindowHandle window = kNoWindow;
    std::unique_ptr<CControlUI> root;
    UISize initSize;
    UIRect caption;
    UISize minInfo;
    UISize maxInfo;
    UISize roundCorner;
    std::vector<INotifyUI*> notifiers;
    std::vector<IMessageFilterUI*> filters;
    std::vector<TNotifyUI> pending;
    std::vector<ControlTimer> timers;
    CControlUI* focus = nullptr;
    std::map<std::string, std::vector<CControlUI*>, std::less<>> groups;
    std::map<int, TFontInfo> fonts;
    std::unique_ptr<TFontInfo> defaultFont;
    std::map<std::string, std::string, std::less<>> styles;
    std::map<std::string, std::string, std::less<>> defaultAttributes;
    int dpi = 96;
    bool updatePending = false;
};
