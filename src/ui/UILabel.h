#pragma once
// CLabelUI: text with font, colour and alignment, optionally with markup.
// Implemented in UILabel.cpp by the core (needed by the builder and its tests).
#include "ui/UIControl.h"

class CLabelUI : public CControlUI {
public:
    std::string_view GetClass() const override;

    unsigned GetTextStyle() const { return m_textStyle; }  // TextStyle bits
    void SetTextStyle(unsigned style);
    UIColor GetTextColor() const { return m_textColor; }
    void SetTextColor(UIColor color);
    UIColor GetDisabledTextColor() const { return m_disabledTextColor; }
    void SetDisabledTextColor(UIColor color);
    int GetFont() const { return m_font; }  // font id of the window; -1 = default font
    void SetFont(int id);
    const UIRect& GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(const UIRect& padding);
    // Markup text ({b}, {i}, {u}, {c #RRGGBB}, {f id}, {n}; see UIRender.h).
    bool IsShowHtml() const { return m_showHtml; }
    void SetShowHtml(bool showHtml = true);
    // Width follows the text when set ("autocalcwidth").
    bool IsAutoCalcWidth() const { return m_autoCalcWidth; }
    void SetAutoCalcWidth(bool autoCalc);

    UISize EstimateSize(UISize available) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintText(CRenderContext& ctx) override;

protected:
    // Text colour for the current state; derived kinds add hot/pushed/selected.
    virtual UIColor CurrentTextColor() const;
    void PaintTextWith(CRenderContext& ctx, UIColor color);

    unsigned m_textStyle = TextStyle::VCenter | TextStyle::SingleLine;
    UIColor m_textColor = 0;
    UIColor m_disabledTextColor = 0;
    int m_font = -1;
    UIRect m_textPadding;
    bool m_showHtml = false;
    bool m_autoCalcWidth = false;
};

// "Text" tag: a label that wraps long text by default.
class CTextUI : public CLabelUI {
public:
    CTextUI();
    std::string_view GetClass() const override;
};
