// CColorPaletteUI: picking a colour by hue, saturation and brightness.
#include "ui/UIColorPalette.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

namespace {

constexpr int kGap = 6;  // between the field and the bar
constexpr double kCornerRadius = 4;
constexpr int kMarkerRadius = 5;  // logical pixels
constexpr QRgb kBorder = 0xFF343945;

// Position `offset` of `length` pixels scaled to 0..maxValue, clamped.
int Fraction(int offset, int length, int maxValue) {
    if (length <= 1) return 0;
    return std::clamp(offset * maxValue / (length - 1), 0, maxValue);
}

int Position(int value, int maxValue, int length) {
    return maxValue > 0 ? value * (length - 1) / maxValue : 0;
}

}  // namespace

// Paints the field, the bar and the markers over the control. Mouse input passes
// through to the control's own widget.
class CPaletteSurface : public QWidget {
public:
    explicit CPaletteSurface(CColorPaletteUI& owner) : QWidget(owner.GetWidget()), m_owner(owner) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const QImage& Field(QSize size);
    void PaintMarker(QPainter& painter, QPoint centre);

    CColorPaletteUI& m_owner;
    QImage m_field;  // cached for its size
};

struct CColorPaletteUI::Impl {
    explicit Impl(CColorPaletteUI& owner) : surface(new CPaletteSurface(owner)) {}
    ~Impl() { surface->hide(); }  // deleted with the control's widget
    CPaletteSurface* surface;
};

const QImage& CPaletteSurface::Field(QSize size) {
    if (m_field.size() == size) return m_field;
    m_field = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const int saturation = 255 - Fraction(y, size.height(), 255);
        auto* line = reinterpret_cast<QRgb*>(m_field.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = QColor::fromHsv(Fraction(x, size.width(), 359), saturation, 255).rgb();
    }
    return m_field;
}

void CPaletteSurface::PaintMarker(QPainter& painter, QPoint centre) {
    const CPaintManagerUI* pm = m_owner.GetManager();
    const int radius = pm ? pm->ScaleValue(kMarkerRadius) : kMarkerRadius;
    const std::string& thumb = m_owner.GetThumbImage();
    if (!thumb.empty()) {
        const QPixmap pixmap(
            ToQString(CResourceManager::Instance().ResolvePath(ImageFileOf(thumb))));
        if (!pixmap.isNull()) {
            painter.drawPixmap(centre - QPoint(pixmap.width() / 2, pixmap.height() / 2), pixmap);
            return;
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 3));
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(centre, radius, radius);
}

void CPaletteSurface::paintEvent(QPaintEvent*) {
    const QRect field = LocalRect(m_owner, m_owner.GetPalletRect());
    const QRect bar = LocalRect(m_owner, m_owner.GetBarRect());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.4);
    const QPen frame(QColor::fromRgba(kBorder), 1);
    if (field.width() > 1 && field.height() > 1) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(field), kCornerRadius, kCornerRadius);
        painter.save();
        painter.setClipPath(clip);
        painter.drawImage(field.topLeft(), Field(field.size()));
        painter.restore();
        painter.setPen(frame);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(field).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                                kCornerRadius);
        const int x = field.left() + Position(m_owner.m_hue, 359, field.width());
        const int y = field.top() + Position(255 - m_owner.m_saturation, 255, field.height());
        PaintMarker(painter, QPoint(x, y));
    }
    if (bar.width() > 1 && bar.height() > 0) {
        QLinearGradient gradient(bar.topLeft(), bar.topRight());
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, QColor::fromHsv(m_owner.m_hue, m_owner.m_saturation, 255));
        painter.setPen(frame);
        painter.setBrush(gradient);
        painter.drawRoundedRect(QRectF(bar).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                                kCornerRadius);
        const int x = bar.left() + Position(m_owner.m_brightness, 255, bar.width());
        PaintMarker(painter, QPoint(x, bar.center().y()));
    }
}

// ---- CColorPaletteUI ----

CColorPaletteUI::CColorPaletteUI() : m_impl(std::make_unique<Impl>(*this)) {
    SetCursor(UICursor::Hand);
}

CColorPaletteUI::~CColorPaletteUI() = default;

std::string_view CColorPaletteUI::GetClass() const {
    return "ColorPaletteUI";
}

UIColor CColorPaletteUI::GetSelectColor() const {
    return m_color;
}

// The colour is kept exactly as given; hue and saturation follow it, except that a
// grey keeps the hue the field showed before.
void CColorPaletteUI::SetSelectColor(UIColor color) {
    m_color = color | 0xFF000000u;
    int hue = 0, saturation = 0, value = 0;
    QColor::fromRgb(m_color).getHsv(&hue, &saturation, &value);
    if (hue >= 0) m_hue = hue;
    m_saturation = saturation;
    m_brightness = value;
    Refresh();
}

void CColorPaletteUI::SetPalletHeight(int height) {
    m_palletHeight = std::max(0, height);
    Refresh();
}

void CColorPaletteUI::SetBarHeight(int height) {
    m_barHeight = std::max(0, height);
    Refresh();
}

void CColorPaletteUI::SetThumbImage(std::string_view image) {
    m_thumbImage = image;
    Refresh();
}

UIRect CColorPaletteUI::GetPalletRect() const {
    const int bar = Scale(m_barHeight);
    const int gap = bar > 0 ? Scale(kGap) : 0;
    const int height = m_palletHeight > 0 ? Scale(m_palletHeight) : m_pos.Height() - bar - gap;
    return {m_pos.left, m_pos.top, m_pos.right, m_pos.top + std::clamp(height, 0, m_pos.Height())};
}

UIRect CColorPaletteUI::GetBarRect() const {
    const UIRect pallet = GetPalletRect();
    const int top = std::min(m_pos.bottom, pallet.bottom + (m_barHeight > 0 ? Scale(kGap) : 0));
    return {m_pos.left, top, m_pos.right, std::min(m_pos.bottom, top + Scale(m_barHeight))};
}

void CColorPaletteUI::UpdateColorFromHsb() {
    m_color = QColor::fromHsv(m_hue, m_saturation, m_brightness).rgb() | 0xFF000000u;
}

void CColorPaletteUI::Refresh() {
    m_impl->surface->update();
    Invalidate();
}

void CColorPaletteUI::PickAt(UIPoint point) {
    if (m_dragPallet) {
        const UIRect rc = GetPalletRect();
        m_hue = Fraction(point.x - rc.left, rc.Width(), 359);
        m_saturation = 255 - Fraction(point.y - rc.top, rc.Height(), 255);
    } else if (m_dragBar) {
        const UIRect rc = GetBarRect();
        m_brightness = Fraction(point.x - rc.left, rc.Width(), 255);
    }
    UpdateColorFromHsb();
    Refresh();
}

void CColorPaletteUI::SetPos(const UIRect& rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    m_impl->surface->setGeometry(LocalRect(*this, m_pos));
    m_impl->surface->update();
}

void CColorPaletteUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "palletheight")
        SetPalletHeight(ParseUISize(value).cx);
    else if (name == "barheight")
        SetBarHeight(ParseUISize(value).cx);
    else if (name == "thumbimage")
        SetThumbImage(value);
    else
        CControlUI::SetAttribute(name, value);
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    if (!IsEnabled()) return CControlUI::DoEvent(event);
    switch (event.type) {
        case UIEventType::ButtonDown:
        case UIEventType::DblClick:
            m_dragPallet = GetPalletRect().Contains(event.mouse);
            m_dragBar = !m_dragPallet && GetBarRect().Contains(event.mouse);
            if (m_dragPallet || m_dragBar) PickAt(event.mouse);
            return;
        case UIEventType::MouseMove:
            if (m_dragPallet || m_dragBar) PickAt(event.mouse);
            return;
        case UIEventType::ButtonUp:
            if (!m_dragPallet && !m_dragBar) return;
            PickAt(event.mouse);
            m_dragPallet = m_dragBar = false;
            if (m_manager) m_manager->SendNotify(this, "colorchanged");
            return;
        default:
            CControlUI::DoEvent(event);
    }
}
