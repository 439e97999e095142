#pragma once
// A round progress indicator: a background disc, a pie in the fore colour that
// starts at the bottom and grows clockwise with the value, and an inner disc that
// turns the pie into a ring.
#include "ui/UIProgress.h"

class CCircleProgressUI : public CProgressUI {
public:
    std::string_view GetClass() const override { return "CircleProgressUI"; }
    // Degrees the pie covers for the current value: 0 when the range is empty,
    // never outside 0..360.
    double SweepDegrees() const;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoPaint(CRenderContext& ctx) override;

private:
    UIColor m_innerColor = 0xFFFFFFFF;
};
