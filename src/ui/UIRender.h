#pragma once
// CRenderContext: what a control's DoPaint() draws with. Implemented in UIRender.cpp
// (shapes, text, markup) and UIImage.cpp (image descriptions and the image cache).
//
// Coordinates are window client coordinates (as CControlUI::GetPos()). Pen sizes,
// corner sizes and image "dest"/"corner" values are logical pixels, scaled here.
// Colours are 0xAARRGGBB: a fill or pen with alpha 0 draws nothing; a text colour 0
// means the default text colour, and other text colours with alpha 0 are opaque.
//
// Image descriptions: a plain file name, or attributes
//   file='name.png' source='x1,y1,x2,y2' corner='l,t,r,b' dest='l,t,r,b' fade='0..255'
//   xtiled='true' ytiled='true' hole='true'
// File names are relative to the resource path unless absolute; '\' works as '/'.
// source is in image pixels; dest (logical pixels) places the image inside the
// target rectangle; corner keeps those borders unscaled (nine-patch).
//
// Markup text: {b}..{/b} bold, {i}..{/i} italic, {u}..{/u} underline,
// {c #RRGGBB}..{/c} colour, {f id}..{/f} font, {n} line break; <b>, <i>, <u>, <c>,
// <f>, <n> work the same.
#include <memory>
#include <string_view>

#include "ui/UIDefs.h"

class CPaintManagerUI;

class CRenderContext {
public:
    struct Backend;  // the painter; defined inside the library
    CRenderContext(Backend& backend, const CPaintManagerUI* manager);
    ~CRenderContext();
    CRenderContext(const CRenderContext&) = delete;
    CRenderContext& operator=(const CRenderContext&) = delete;

    const CPaintManagerUI* GetManager() const { return m_manager; }
    // DPI zoom of logical pixels (1.0 at 96 DPI).
    int Scale(int value) const;
    UIRect Scale(const UIRect& rc) const;
    UISize Scale(UISize size) const;

    // Shapes; `round` is the corner ellipse (width, height): radii are half of it.
    void FillRect(const UIRect& rc, UIColor color);
    void FillRoundRect(const UIRect& rc, UISize round, UIColor color);
    void DrawRect(const UIRect& rc, int size, UIColor color);
    void DrawRoundRect(const UIRect& rc, int size, UISize round, UIColor color);
    void DrawLine(UIPoint from, UIPoint to, int size, UIColor color);
    void FillEllipse(const UIRect& rc, UIColor color);
    void DrawEllipse(const UIRect& rc, int size, UIColor color);
    // Angles in degrees, counter-clockwise from 3 o'clock (negative sweep = clockwise).
    void FillPie(const UIRect& rc, double startDegrees, double sweepDegrees, UIColor color);

    // Draws an image description into `rc`. With a tint (non-zero), the image's
    // opaque pixels take the tint colour, keeping their alpha. `fade` multiplies the
    // description's own fade. False when the image cannot be loaded.
    bool DrawImage(const UIRect& rc, std::string_view description, UIColor tint = 0,
                   int fade = 255);

    // Text with a window font id (-1 = the default font) and TextStyle bits.
    void DrawText(const UIRect& rc, std::string_view text, UIColor color, int fontId,
                  unsigned style);
    void DrawHtmlText(const UIRect& rc, std::string_view markup, UIColor color, int fontId,
                      unsigned style);
    // Size the text needs; `width` > 0 wraps at that width.
    UISize MeasureText(std::string_view text, int fontId, int width = 0) const;

    // Opacity of what follows (0..1); disabled controls paint at 0.4.
    void SetOpacity(double opacity);
    double GetOpacity() const;
    // Clips what follows to `rc` until the matching PopClip.
    void PushClip(const UIRect& rc);
    void PopClip();

private:
    Backend& m_backend;
    const CPaintManagerUI* m_manager;
    double m_baseOpacity = 1.0;
};

// Size of an image file (skin-relative or absolute) in pixels; 0,0 when unreadable.
UISize GetImageSize(std::string_view file);
// The file named by an image description.
std::string ImageFileOf(std::string_view description);
