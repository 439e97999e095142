#pragma once
// CEditUI (one line) and CRichEditUI (several lines), hosting native text editing.
// Implemented in UIEdit.cpp by the control-kinds helper.
// Notifications: "setfocus", "killfocus", "textchanged" (user edits only), "return".
// Without a background colour or image an edit draws a raised box with a border that
// turns to the accent colour while it has the focus.
#include <memory>

#include "ui/UILabel.h"

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    std::string_view GetClass() const override;

    std::string GetText() const override;          // what the field holds
    void SetText(std::string_view text) override;  // silent
    void SetMaxChar(int maxChars);                 // 0 = no limit
    int GetMaxChar() const;
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const;
    void SetPasswordMode(bool password);
    bool IsPasswordMode() const;
    // Digits only; with a range, typed values above it are refused, and a value below
    // it is raised to the minimum when the field loses the focus.
    void SetNumberOnly(bool numberOnly);
    bool IsNumberOnly() const;
    void SetNumberRange(int minValue, int maxValue);
    // Grey text shown while the field is empty.
    void SetTipValue(std::string_view tip);
    std::string GetTipValue() const;
    void SetTipValueColor(UIColor color);
    void SetSel(int start, int end);  // end -1 = to the end
    void SetSelAll();

    void SetFocus() override;
    void SetEnabled(bool enabled = true) override;
    void SetPos(const UIRect& rc, bool needInvalidate = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void ReloadText() override;
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintText(CRenderContext& ctx) override;  // the native field draws the text
    void PaintBorder(CRenderContext& ctx) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class CRichEditUI : public CLabelUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;
    std::string_view GetClass() const override;

    std::string GetText() const override;
    void SetText(std::string_view text) override;  // silent
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const;
    void SetWordWrap(bool wrap);
    void SetLimitText(int maxChars);  // 0 = no limit
    void SetTipValue(std::string_view tip);
    std::string GetTipValue() const;
    void SetTipValueColor(UIColor color);

    void SetFocus() override;
    void SetEnabled(bool enabled = true) override;
    void SetPos(const UIRect& rc, bool needInvalidate = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void ReloadText() override;
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintText(CRenderContext& ctx) override;
    void PaintBorder(CRenderContext& ctx) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
