// CSliderUI: dragging, clicks on the track, keys and the thin-track look.
#include "ui/UISlider.h"

#include <algorithm>
#include <cstdint>

#include "ui/UIButton.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIRender.h"

namespace {

constexpr UIColor kText = 0xFFE6E8EE;
constexpr UIColor kBorder = 0xFF343945;
constexpr UIColor kAccent = 0xFF19C3A0;
constexpr int kTrackThickness = 4;
constexpr int kPageSteps = 10;

}  // namespace

// Click focus only: a window that opens must not hand its arrow keys to a slider.
CSliderUI::CSliderUI() {
    GetWidget()->setFocusPolicy(Qt::ClickFocus);
}

std::string_view CSliderUI::GetClass() const {
    return "SliderUI";
}

void CSliderUI::SetChangeStep(int step) {
    m_step = std::max(1, step);
}

void CSliderUI::SetThumbSize(UISize size) {
    m_thumbSize = size;
    Invalidate();
}

void CSliderUI::SetThumbImage(std::string_view image) {
    m_thumbImage = image, Invalidate();
}
void CSliderUI::SetThumbHotImage(std::string_view image) {
    m_thumbHotImage = image, Invalidate();
}
void CSliderUI::SetThumbPushedImage(std::string_view image) {
    m_thumbPushedImage = image, Invalidate();
}
void CSliderUI::SetThumbColor(UIColor color) {
    m_thumbColor = color, Invalidate();
}

void CSliderUI::SetEnabled(bool enabled) {
    CProgressUI::SetEnabled(enabled);
    if (!enabled) m_buttonState = 0;
}

void CSliderUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "step")
        SetChangeStep(ParseUISize(value).cx);
    else if (name == "thumbsize")
        SetThumbSize(ParseUISize(value));
    else if (name == "thumbimage")
        SetThumbImage(value);
    else if (name == "thumbhotimage")
        SetThumbHotImage(value);
    else if (name == "thumbpushedimage")
        SetThumbPushedImage(value);
    else if (name == "thumbcolor")
        SetThumbColor(ParseUIColor(value));
    else
        CProgressUI::SetAttribute(name, value);
}

int CSliderUI::TravelLength() const {
    const UISize thumb{Scale(m_thumbSize.cx), Scale(m_thumbSize.cy)};
    const int length = m_horizontal ? m_pos.Width() - thumb.cx : m_pos.Height() - thumb.cy;
    return std::max(0, length);
}

// Values grow to the right, or upwards on a vertical slider.
int CSliderUI::TravelStart() const {
    return m_horizontal ? m_pos.left + Scale(m_thumbSize.cx) / 2
                        : m_pos.bottom - Scale(m_thumbSize.cy) / 2;
}

UIRect CSliderUI::GetThumbRect() const {
    const UISize thumb{Scale(m_thumbSize.cx), Scale(m_thumbSize.cy)};
    const std::int64_t span = static_cast<std::int64_t>(m_max) - m_min;
    const int travel =
        span > 0
            ? static_cast<int>(TravelLength() * (static_cast<std::int64_t>(m_value) - m_min) / span)
            : 0;
    if (m_horizontal) {
        const int centre = TravelStart() + travel;
        const int top = m_pos.top + (m_pos.Height() - thumb.cy) / 2;
        return {centre - thumb.cx / 2, top, centre - thumb.cx / 2 + thumb.cx, top + thumb.cy};
    }
    const int centre = TravelStart() - travel;
    const int left = m_pos.left + (m_pos.Width() - thumb.cx) / 2;
    return {left, centre - thumb.cy / 2, left + thumb.cx, centre - thumb.cy / 2 + thumb.cy};
}

int CSliderUI::ValueAt(UIPoint point) const {
    const int length = TravelLength();
    if (length <= 0 || m_max <= m_min) return m_min;
    const int along = m_horizontal ? point.x - m_grabOffset - TravelStart()
                                   : TravelStart() - (point.y - m_grabOffset);
    const std::int64_t clamped = std::clamp(along, 0, length);
    const std::int64_t span = static_cast<std::int64_t>(m_max) - m_min;
    return m_min + static_cast<int>((clamped * span + length / 2) / length);
}

UIRect CSliderUI::TrackRect() const {
    const int thickness = Scale(kTrackThickness);
    const int half = (m_horizontal ? Scale(m_thumbSize.cx) : Scale(m_thumbSize.cy)) / 2;
    if (m_horizontal) {
        const int top = m_pos.top + (m_pos.Height() - thickness) / 2;
        return {m_pos.left + half, top, m_pos.right - half, top + thickness};
    }
    const int left = m_pos.left + (m_pos.Width() - thickness) / 2;
    return {left, m_pos.top + half, left + thickness, m_pos.bottom - half};
}

void CSliderUI::MoveTo(int value, const char* notification) {
    const int clamped = ClampValue(value);
    if (clamped == m_value) return;
    m_value = clamped;
    Invalidate();
    if (m_manager) m_manager->SendNotify(this, notification);
}

// A press on the thumb keeps the grab point under the pointer; a press on the track
// moves the thumb there at once.
void CSliderUI::BeginDrag(UIPoint point) {
    const UIRect thumb = GetThumbRect();
    m_buttonState |= UIState::Captured | UIState::Pushed;
    m_dragStartValue = m_value;
    if (thumb.Contains(point)) {
        m_grabOffset = m_horizontal ? point.x - (thumb.left + thumb.right) / 2
                                    : point.y - (thumb.top + thumb.bottom) / 2;
        Invalidate();
        return;
    }
    m_grabOffset = 0;
    Invalidate();
    MoveTo(ValueAt(point), "movevaluechanged");
}

void CSliderUI::EndDrag(UIPoint point) {
    m_buttonState &= ~(UIState::Captured | UIState::Pushed);
    const int final = ClampValue(ValueAt(point));
    m_grabOffset = 0;
    m_value = final;
    Invalidate();
    if (final != m_dragStartValue && m_manager) m_manager->SendNotify(this, "valuechanged");
}

bool CSliderUI::HandleKey(int key) {
    int target = m_value;
    switch (key) {
        case VKey::Left:
        case VKey::Down:
            target = m_value - m_step;
            break;
        case VKey::Right:
        case VKey::Up:
            target = m_value + m_step;
            break;
        case VKey::Prior:
            target = m_value + m_step * kPageSteps;
            break;
        case VKey::Next:
            target = m_value - m_step * kPageSteps;
            break;
        case VKey::Home:
            target = m_min;
            break;
        case VKey::End:
            target = m_max;
            break;
        default:
            return false;
    }
    MoveTo(target, "valuechanged");
    return true;
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (!IsEnabled()) return CProgressUI::DoEvent(event);
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::DblClick:
            CControlUI::SetFocus();
            BeginDrag(event.mouse);
            return;
        case UIEventType::MouseMove:
            if (m_buttonState & UIState::Captured) {
                MoveTo(ValueAt(event.mouse), "movevaluechanged");
            } else {
                const bool hot = GetThumbRect().Contains(event.mouse);
                if (hot != ((m_buttonState & UIState::Hot) != 0)) {
                    m_buttonState =
                        hot ? (m_buttonState | UIState::Hot) : (m_buttonState & ~UIState::Hot);
                    Invalidate();
                }
            }
            return;
        case UIEventType::ButtonUp:
            if (m_buttonState & UIState::Captured) EndDrag(event.mouse);
            return;
        case UIEventType::MouseLeave:
            m_buttonState &= ~UIState::Hot;
            Invalidate();
            return;
        case UIEventType::KeyDown:
            if (HandleKey(event.key)) return;
            break;
        case UIEventType::ScrollWheel:
            // Only a slider the user is working with takes the wheel, so that wheeling
            // over a page of sliders still scrolls the page.
            if (IsFocused() && event.wheelDelta != 0) {
                MoveTo(m_value + (event.wheelDelta > 0 ? m_step : -m_step), "valuechanged");
                return;
            }
            break;
        default:
            break;
    }
    CProgressUI::DoEvent(event);
}

void CSliderUI::PaintBkColor(CRenderContext& ctx) {
    if (!m_bkImage.empty()) return;
    ctx.FillRoundRect(TrackRect(), {kTrackThickness, kTrackThickness},
                      m_bkColor != 0 ? m_bkColor : kBorder);
}

void CSliderUI::PaintStatusImage(CRenderContext& ctx) {
    const UIRect thumb = GetThumbRect();
    const int centreX = (thumb.left + thumb.right) / 2;
    const int centreY = (thumb.top + thumb.bottom) / 2;
    if (!m_foreImage.empty()) {
        const UIRect shown = m_horizontal ? UIRect{m_pos.left, m_pos.top, centreX, m_pos.bottom}
                                          : UIRect{m_pos.left, centreY, m_pos.right, m_pos.bottom};
        ctx.PushClip(shown);
        DrawImage(ctx, m_foreImage);
        ctx.PopClip();
    } else if (m_bkImage.empty()) {
        UIRect fill = TrackRect();
        if (m_horizontal)
            fill.right = centreX;
        else
            fill.top = centreY;
        ctx.FillRoundRect(fill, {kTrackThickness, kTrackThickness},
                          m_foreColor != 0 ? m_foreColor : kAccent);
    }
    PaintThumb(ctx);
}

void CSliderUI::PaintThumb(CRenderContext& ctx) {
    const UIRect thumb = GetThumbRect();
    const bool pushed = (m_buttonState & UIState::Pushed) != 0;
    const bool hot = (m_buttonState & UIState::Hot) != 0;
    const std::string* image = &m_thumbImage;
    if (pushed && !m_thumbPushedImage.empty())
        image = &m_thumbPushedImage;
    else if (hot && !m_thumbHotImage.empty())
        image = &m_thumbHotImage;
    if (!image->empty() && ctx.DrawImage(thumb, *image)) return;
    const UIColor fill = (pushed || hot) ? kAccent : (m_thumbColor != 0 ? m_thumbColor : kText);
    ctx.FillEllipse(thumb, fill);
    ctx.DrawEllipse(thumb, 2, kAccent);
}
