#pragma once
// CColorPaletteUI: a hue/saturation field over a brightness bar; picking sends
// "colorchanged". Implemented in UIColorPalette.cpp by the control-kinds helper.
//
// The field runs through the hues from left to right and from full saturation at the
// top to grey at the bottom, at full brightness; the bar below it runs from black to
// the chosen hue and saturation. A press, drag and release on either picks; the
// notification goes out on release.
#include <memory>

#include "ui/UIControl.h"

class CColorPaletteUI : public CControlUI {
public:
    CColorPaletteUI();
    ~CColorPaletteUI() override;
    std::string_view GetClass() const override;

    UIColor GetSelectColor() const;      // 0xFFRRGGBB
    void SetSelectColor(UIColor color);  // silent
    void SetPalletHeight(int height);    // the field, logical pixels
    int GetPalletHeight() const { return m_palletHeight; }
    void SetBarHeight(int height);  // the brightness bar
    int GetBarHeight() const { return m_barHeight; }
    void SetThumbImage(std::string_view image);
    const std::string& GetThumbImage() const { return m_thumbImage; }

    // The field and the bar in window pixels.
    UIRect GetPalletRect() const;
    UIRect GetBarRect() const;

    void SetPos(const UIRect& rc, bool needInvalidate = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;

private:
    struct Impl;
    friend class CPaletteSurface;
    void PickAt(UIPoint point);
    void UpdateColorFromHsb();
    void Refresh();

    std::unique_ptr<Impl> m_impl;
    int m_palletHeight = 0;  // 0 = all height less the bar
    int m_barHeight = 10;
    int m_hue = 0;           // 0..359
    int m_saturation = 0;    // 0..255
    int m_brightness = 255;  // 0..255
    UIColor m_color = 0xFFFFFFFF;
    bool m_dragPallet = false;
    bool m_dragBar = false;
    std::string m_thumbImage;
};
