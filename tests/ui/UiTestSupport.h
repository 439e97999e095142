#pragma once
// Shared helpers of the UI tests: event-loop waiting with a deadline, a window whose
// layout is given as text, and a skin folder in a temporary directory.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "ui/UILib.h"

// Processes events until `done` holds or `timeoutMs` passes; returns `done()`.
inline bool RunUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

inline void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

// A skin folder that lives as long as the object; files are written on demand.
class CTempSkin {
public:
    CTempSkin() { CResourceManager::Instance().SetResourcePath(Path()); }
    ~CTempSkin() { CResourceManager::Instance().Release(); }
    std::string Path() const { return m_dir.path().toStdString() + "/"; }
    void Write(const std::string& relative, const std::string& text) const {
        const QString file = m_dir.filePath(QString::fromStdString(relative));
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(text.data(), static_cast<qint64>(text.size()));
    }

private:
    QTemporaryDir m_dir;
};

// A window built from layout text that records what it is told.
class CTestWindow : public WindowImplBase {
public:
    explicit CTestWindow(std::string layout) : m_layout(std::move(layout)) {}
    std::string GetWindowClassName() const override { return "TestWnd"; }
    std::string GetSkinFile() override { return m_layout; }
    void Notify(TNotifyUI& msg) override {
        m_notes.push_back({msg.type, msg.sender ? msg.sender->GetName() : "", msg.wParam});
        WindowImplBase::Notify(msg);
    }
    LRESULT HandleCustomMessage(std::uint32_t msg, WPARAM w, LPARAM l, bool& handled) override {
        m_messages.push_back(msg);
        return WindowImplBase::HandleCustomMessage(msg, w, l, handled);
    }
    void OnDestroy() override { m_destroyed = true; }

    struct Note {
        std::string type;
        std::string sender;
        WPARAM wParam;
    };
    int Count(const std::string& type, const std::string& sender = {}) const {
        int n = 0;
        for (const Note& note : m_notes)
            n += note.type == type && (sender.empty() || note.sender == sender) ? 1 : 0;
        return n;
    }

    std::vector<Note> m_notes;
    std::vector<std::uint32_t> m_messages;
    bool m_destroyed = false;

private:
    std::string m_layout;
};
