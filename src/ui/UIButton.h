#pragma once
// CButtonUI: a label with status images and colours; a left click sends "click".
// Implemented in UIButton.cpp by the core (needed by the builder and its tests).
#include "ui/UILabel.h"

// Button state bits (GetButtonState).
namespace UIState {
inline constexpr unsigned Focused = 0x01;
inline constexpr unsigned Selected = 0x02;
inline constexpr unsigned Disabled = 0x04;
inline constexpr unsigned Hot = 0x08;
inline constexpr unsigned Pushed = 0x10;
inline constexpr unsigned ReadOnly = 0x20;
inline constexpr unsigned Captured = 0x40;
}  // namespace UIState

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::string_view GetClass() const override;

    bool Activate() override;  // sends "click"
    void SetEnabled(bool enabled = true) override;
    unsigned GetButtonState() const { return m_buttonState; }
    void SetButtonState(unsigned state);

    const std::string& GetNormalImage() const { return m_normalImage; }
    void SetNormalImage(std::string_view image);
    const std::string& GetHotImage() const { return m_hotImage; }
    void SetHotImage(std::string_view image);
    const std::string& GetPushedImage() const { return m_pushedImage; }
    void SetPushedImage(std::string_view image);
    const std::string& GetFocusedImage() const { return m_focusedImage; }
    void SetFocusedImage(std::string_view image);
    const std::string& GetDisabledImage() const { return m_disabledImage; }
    void SetDisabledImage(std::string_view image);
    const std::string& GetHotForeImage() const { return m_hotForeImage; }
    void SetHotForeImage(std::string_view image);

    UIColor GetHotBkColor() const { return m_hotBkColor; }
    void SetHotBkColor(UIColor color);
    UIColor GetPushedBkColor() const { return m_pushedBkColor; }
    void SetPushedBkColor(UIColor color);
    UIColor GetHotTextColor() const { return m_hotTextColor; }
    void SetHotTextColor(UIColor color);
    UIColor GetPushedTextColor() const { return m_pushedTextColor; }
    void SetPushedTextColor(UIColor color);
    UIColor GetFocusedTextColor() const { return m_focusedTextColor; }
    void SetFocusedTextColor(UIColor color);
    UIColor GetHotBorderColor() const { return m_hotBorderColor; }
    void SetHotBorderColor(UIColor color);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintStatusImage(CRenderContext& ctx) override;
    void PaintForeImage(CRenderContext& ctx) override;
    void PaintBorder(CRenderContext& ctx) override;

protected:
    UIColor CurrentTextColor() const override;

    unsigned m_buttonState = 0;
    std::string m_normalImage;
    std::string m_hotImage;
    std::string m_pushedImage;
    std::string m_focusedImage;
    std::string m_disabledImage;
    std::string m_hotForeImage;
    UIColor m_hotBkColor = 0;
    UIColor m_pushedBkColor = 0;
    UIColor m_hotTextColor = 0;
    UIColor m_pushedTextColor = 0;
    UIColor m_focusedTextColor = 0;
    UIColor m_hotBorderColor = 0;
};
