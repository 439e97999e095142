#pragma once
// The program's main window: hosts the device selector and device pages, the tray
// icon and the title-bar buttons, applies language and screen fit, and handles the
// messages of other processes.
#include <memory>
#include <string>

#include "ui/UIWindow.h"

class CButtonUI;
class CMenuWnd;
class CTrayIcon;

// Window DPI for a monitor of the given size: large monitors get 144, others 96.
int WindowDpiForMonitor(int width, int height);

class CMainWnd : public WindowImplBase {
public:
    CMainWnd();
    ~CMainWnd() override;

    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    void OnClick(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                bool& handled) override;
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override;
    // The language files hold every text.
    std::string QueryControlText(std::string_view, std::string_view) override { return {}; }
    void OnDestroy() override;

    void ApplyLanguage(int index);
    int ReadLanguageIndex() const;
    void WriteLanguageIndex(int id);
    void FitToScreen();
    void ShowAndRaise();

    int GetLanguageIndex() const { return m_languageIndex; }
    int GetWindowDpi() const { return m_windowDpi; }
    int GetLightControl() const { return m_lightControl; }
    bool IsInitialised() const { return m_initialised; }
    // True once the first screen fit after initialisation has run.
    bool HasFitted() const { return m_fitted; }

private:
    void OnWindowInit();
    void OnTimer(WPARAM id);
    void OnTrayMessage(LPARAM mouseMessage);
    void OnMenuCommand(WPARAM ticket);
    void OpenTrayMenu();
    void SetLightControl(int state);
    void UpdateNoDeviceNotice();
    void RebuildFonts();
    bool HandleRegisteredMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<CTrayIcon> m_tray;
    std::unique_ptr<CMenuWnd> m_trayMenu;
    CControlUI* m_closeBtn = nullptr;
    CControlUI* m_maxBtn = nullptr;
    CControlUI* m_restoreBtn = nullptr;
    CControlUI* m_minBtn = nullptr;
    CControlUI* m_skinBtn = nullptr;
    CControlUI* m_setBtn = nullptr;
    int m_languageIndex = -1;
    int m_windowDpi = 96;
    int m_lightControl = 1;
    bool m_suspended = false;
    bool m_initialised = false;
    bool m_fitted = false;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
};
