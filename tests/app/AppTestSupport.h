#pragma once
// Helpers shared by the program's tests: temporary folders and child processes.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/Platform.h"

// A temporary folder removed with the object.
class CTempFolder {
public:
    CTempFolder() {
        std::string pattern = "/tmp/tolmi-app-test-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~CTempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string Write(const std::string& relative, const std::string& text) const {
        const std::filesystem::path file = std::filesystem::path(m_path) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    std::string m_path;
};

inline bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return done();
}

// The build puts the programs beside the test programs.
inline std::string BinDir() {
    return ProgramFolder();
}

// Environment of a child program: its own runtime, data and config folders, no display.
inline QProcessEnvironment ChildEnvironment(const std::string& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(root + "/run"));
    env.insert("XDG_DATA_HOME", QString::fromStdString(root + "/data"));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(root + "/config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TOLMI_DEBUG", "1");
    std::filesystem::create_directories(root + "/run");
    std::filesystem::permissions(root + "/run", std::filesystem::perms::owner_all);
    return env;
}
