#pragma once
// CProgressUI: a bar filled in proportion to its value between min and max.
// Implemented in UIProgress.cpp by the control-kinds helper.
#include "ui/UILabel.h"

class CProgressUI : public CLabelUI {
public:
    std::string_view GetClass() const override;

    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const { return m_min; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_max; }
    void SetMaxValue(int value);
    int GetValue() const { return m_value; }
    virtual void SetValue(int value);  // clamped to [min, max]; silent
    UIColor GetForeColor() const { return m_foreColor; }
    void SetForeColor(UIColor color);  // fill colour when there is no fore image

    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintBkColor(CRenderContext& ctx) override;      // a plain track without colours
    void PaintStatusImage(CRenderContext& ctx) override;  // the filled part
    void PaintForeImage(CRenderContext& ctx) override;    // the fore image is the fill

protected:
    // The filled part of `rc` for the current value.
    UIRect FilledRect(const UIRect& rc) const;
    // `value` limited to [min, max] (min when the range is empty).
    int ClampValue(int value) const;
    // Corner ellipse of the drawn bar: the layout's "borderround", else 4 px corners.
    UISize BarRound() const;

    bool m_horizontal = true;
    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    UIColor m_foreColor = 0;
};
