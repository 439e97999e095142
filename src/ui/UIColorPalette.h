#pragma once
// CColorPaletteUI: a hue/saturation field over a brightness bar; picking sends
// "colorchanged". Implemented in UIColorPalette.cpp by the control-kinds helper.
#include "ui/UIControl.h"

class CColorPaletteUI : public CControlUI {
public:
    CColorPaletteUI();
    std::string_view GetClass() const override;

    UIColor GetSelectColor() const;      // 0xFFRRGGBB
    void SetSelectColor(UIColor color);  // silent
    void SetPalletHeight(int height);    // the field, logical pixels
    int GetPalletHeight() const { return m_palletHeight; }
    void SetBarHeight(int height);  // the brightness bar
    int GetBarHeight() const { return m_barHeight; }
    void SetThumbImage(std::string_view image);
    const std::string& GetThumbImage() const { return m_thumbImage; }

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintBkImage(CRenderContext& ctx) override;

private:
    int m_palletHeight = 0;  // 0 = all height less the bar
    int m_barHeight = 10;
    int m_hue = 0;           // 0..359
    int m_saturation = 0;    // 0..255
    int m_brightness = 255;  // 0..255
    bool m_dragPallet = false;
    bool m_dragBar = false;
    std::string m_thumbImage;
};
