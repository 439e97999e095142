#pragma once
// The program's one modal message box: a message, a confirm button and, on request,
// a cancel button.
#include <functional>
#include <string>
#include <string_view>

#include "ui/UIWindow.h"

// Button modes of ShowMessageBox.
inline constexpr int kMsgConfirmOnly = 0;
inline constexpr int kMsgConfirmCancel = 1;

// The DPI values windows take: 48, 72, 96, 120, 144, 168, 192.
bool IsSupportedDpi(int dpi);

class CMsgWnd : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "MsgWnd"; }
    std::string GetSkinFile() override { return "XML_MSG"; }
    void InitWindow() override;
    void OnClick(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                bool& handled) override;

    void SetTitleText(std::string_view title);
    void SetMessageText(std::string_view text, bool languageKey);
    // Takes a supported DPI (another value becomes 96, with a diagnostic line) and
    // applies it to every window, unless the box is at that DPI already.
    void SetDpi(int dpi);
    void SetButtonMode(int mode);
    int GetDpi() const { return m_dpi; }
    // True only after the confirm button was pressed.
    bool IsConfirmed() const { return m_confirmed; }

private:
    int m_dpi = 96;
    bool m_confirmed = false;
    CControlUI* m_closeBtn = nullptr;
};

// Shows the box modally, centred on `owner` (kNoWindow for none). `text` is a
// language key when `languageKey` is set, else shown as it is; empty keeps the
// layout's text, as an empty `title` keeps its title. 1 when the user confirmed;
// 0 for cancel, the close button, Esc, a close by the window manager and when the box
// cannot be shown at all.
int ShowMessageBox(WindowHandle owner, std::string_view title, std::string_view text, int dpi,
                   bool languageKey, int buttonMode);

// `text` with its first "%d" replaced by the decimal `number`; every other '%' stays
// as written, so a language text is never used as a format.
std::string SubstituteFirstNumber(std::string_view text, int number);

// Shows the language text of `key` with its number placeholder filled in (confirm
// button only); the result as ShowMessageBox gives it.
int ShowNumberMessageBox(WindowHandle owner, std::string_view key, int number, int dpi);

// Tests of the callers answer boxes through a script instead of a window: while one
// is set, ShowMessageBox shows nothing and returns the script's answer. An empty
// script restores the window.
struct MessageBoxRequest {
    WindowHandle owner = kNoWindow;
    std::string title;
    std::string text;
    int dpi = 96;
    bool languageKey = false;
    int buttonMode = kMsgConfirmOnly;
};
using MessageBoxScript = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxScript(MessageBoxScript script);
