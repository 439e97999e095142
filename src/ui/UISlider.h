#pragma once
// CSliderUI: a progress bar with a draggable thumb.
// Implemented in UISlider.cpp by the control-kinds helper.
// Notifications: "movevaluechanged" while dragging, "valuechanged" on release (the
// final value). SetValue is silent.
#include "ui/UIProgress.h"

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    std::string_view GetClass() const override;

    int GetChangeStep() const { return m_step; }
    void SetChangeStep(int step);  // wheel and arrow keys
    UISize GetThumbSize() const { return m_thumbSize; }
    void SetThumbSize(UISize size);
    UIRect GetThumbRect() const;  // window pixels
    const std::string& GetThumbImage() const { return m_thumbImage; }
    void SetThumbImage(std::string_view image);
    const std::string& GetThumbHotImage() const { return m_thumbHotImage; }
    void SetThumbHotImage(std::string_view image);
    const std::string& GetThumbPushedImage() const { return m_thumbPushedImage; }
    void SetThumbPushedImage(std::string_view image);
    UIColor GetThumbColor() const { return m_thumbColor; }
    void SetThumbColor(UIColor color);  // round thumb when there is no image

    void SetEnabled(bool enabled = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(CRenderContext& ctx) override;  // thin track
    void PaintStatusImage(CRenderContext& ctx) override;

private:
    // The value under `point`, allowing for where the thumb was grabbed.
    int ValueAt(UIPoint point) const;
    // The thin line the thumb runs along (window pixels).
    UIRect TrackRect() const;
    // Length the thumb centre can travel, and where that travel starts.
    int TravelLength() const;
    int TravelStart() const;
    // Sets the value from user input; sends `notification` when it changed.
    void MoveTo(int value, const char* notification);
    void BeginDrag(UIPoint point);
    void EndDrag(UIPoint point);
    bool HandleKey(int key);
    void PaintThumb(CRenderContext& ctx);

    int m_step = 1;
    int m_grabOffset = 0;  // pointer minus thumb centre along the track while dragging
    int m_dragStartValue = 0;
    UISize m_thumbSize{14, 14};
    unsigned m_buttonState = 0;
    std::string m_thumbImage;
    std::string m_thumbHotImage;
    std::string m_thumbPushedImage;
    UIColor m_thumbColor = 0;
};
