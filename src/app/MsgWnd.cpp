#include "app/MsgWnd.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <utility>

#include "platform/Platform.h"
#include "ui/UILib.h"

namespace {

constexpr std::array<int, 7> kSupportedDpis = {48, 72, 96, 120, 144, 168, 192};
constexpr int kDefaultDpi = 96;
constexpr int kResultConfirm = 1;
constexpr int kResultNotConfirmed = 0;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

MessageBoxScript& Script() {
    static MessageBoxScript script;
    return script;
}

}  // namespace

bool IsSupportedDpi(int dpi) {
    return std::ranges::find(kSupportedDpis, dpi) != kSupportedDpis.end();
}

void CMsgWnd::InitWindow() {
    m_closeBtn = GetPaintManager().FindControl("closebtn");
}

void CMsgWnd::OnClick(TNotifyUI& msg) {
    // Only the confirm button confirms; everything else that ends the box answers 0.
    if (msg.sender == m_closeBtn) {
        Close(kResultNotConfirmed);
    } else if (EqualsNoCase(msg.sender->GetName(), "confirm_btn")) {
        m_confirmed = true;
        Close(kResultConfirm);
    } else if (EqualsNoCase(msg.sender->GetName(), "cancel_btn")) {
        Close(kResultNotConfirmed);
    }
}

LRESULT CMsgWnd::HandleCustomMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam,
                                     bool& handled) {
    if (msg == Msg::DpiChanged) {
        CPaintManagerUI& pm = GetPaintManager();
        pm.SetDPI(static_cast<int>(wParam & 0xFFFF));
        pm.ResetDPIAssets();
        // lParam points to the suggested window rectangle, as the sender keeps it.
        if (const auto* suggested = reinterpret_cast<const UIRect*>(lParam)) {
            MoveWindow(suggested->left, suggested->top);
            ResizeClient(suggested->Width(), suggested->Height());
        }
        if (CControlUI* root = pm.GetRoot()) root->NeedUpdate();
    }
    handled = false;
    return 0;
}

void CMsgWnd::SetTitleText(std::string_view title) {
    if (title.empty()) return;
    if (CControlUI* label = GetPaintManager().FindControl("MessageTitle")) label->SetText(title);
}

void CMsgWnd::SetMessageText(std::string_view text, bool languageKey) {
    if (text.empty()) return;
    CControlUI* label = GetPaintManager().FindControl("MessageText");
    if (label == nullptr) return;
    label->SetResourceText(languageKey);
    label->SetText(text);
}

void CMsgWnd::SetDpi(int dpi) {
    if (dpi == m_dpi) return;
    if (IsSupportedDpi(dpi)) {
        m_dpi = dpi;
    } else {
        DebugOutput("MSG_WND DPI SET ERROR");
        m_dpi = kDefaultDpi;
    }
    CPaintManagerUI::SetAllDPI(m_dpi);
}

void CMsgWnd::SetButtonMode(int mode) {
    CControlUI* confirm = GetPaintManager().FindControl("confirm_btn");
    CControlUI* cancel = GetPaintManager().FindControl("cancel_btn");
    if (mode != kMsgConfirmOnly && mode != kMsgConfirmCancel) return;
    if (confirm != nullptr) confirm->SetVisible(true);
    if (cancel != nullptr) cancel->SetVisible(mode == kMsgConfirmCancel);
}

int ShowMessageBox(WindowHandle owner, std::string_view title, std::string_view text, int dpi,
                   bool languageKey, int buttonMode) {
    if (const MessageBoxScript& script = Script())
        return script({owner, std::string(title), std::string(text), dpi, languageKey, buttonMode});
    // Owned here rather than deleting itself, so the answer can be read after the close.
    auto box = std::make_unique<CMsgWnd>();
    if (!box->Create(owner, "msgwnd", UIStyle::Popup | UIStyle::ClipChildren,
                     UIStyle::ExToolWindow))
        return kResultNotConfirmed;
    box->SetTitleText(title);
    box->SetMessageText(text, languageKey);
    box->SetDpi(dpi);
    box->SetButtonMode(buttonMode);
    box->CenterWindow();
    box->ShowModal();
    return box->IsConfirmed() ? kResultConfirm : kResultNotConfirmed;
}

std::string SubstituteFirstNumber(std::string_view text, int number) {
    std::string result(text);
    const std::size_t at = result.find("%d");
    if (at != std::string::npos) result.replace(at, 2, std::to_string(number));
    return result;
}

int ShowNumberMessageBox(WindowHandle owner, std::string_view key, int number, int dpi) {
    const std::string text =
        SubstituteFirstNumber(CResourceManager::Instance().GetText(key), number);
    return ShowMessageBox(owner, {}, text, dpi, false, kMsgConfirmOnly);
}

void SetMessageBoxScript(MessageBoxScript script) {
    Script() = std::move(script);
}
