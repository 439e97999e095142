// CRenderContext: shapes, plain text and markup text.
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>
#include <QTextOption>
#include <climits>
#include <cmath>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"

namespace {

// The skin's text colour, used when a control sets none.
constexpr UIColor kDefaultTextColor = 0xFFE6E8EE;

bool Invisible(UIColor color) {
    return (color >> 24) == 0;
}

QColor TextQColor(UIColor color) {
    const UIColor c = color == 0 ? kDefaultTextColor : color;
    return QColor::fromRgba(static_cast<QRgb>((c >> 24) == 0 ? (c | 0xFF000000u) : c));
}

Qt::Alignment AlignmentOf(unsigned style) {
    Qt::Alignment align = Qt::AlignLeft;
    if (style & TextStyle::Center) align = Qt::AlignHCenter;
    if (style & TextStyle::Right) align = Qt::AlignRight;
    if (style & TextStyle::VCenter) return align | Qt::AlignVCenter;
    if (style & TextStyle::Bottom) return align | Qt::AlignBottom;
    return align | Qt::AlignTop;
}

// Markup ({b}, <b>, {c #RRGGBB}, ...) to the rich-text subset QTextDocument reads.
std::string MarkupToHtml(std::string_view markup, const CPaintManagerUI* manager) {
    std::string out;
    std::size_t i = 0;
    while (i < markup.size()) {
        const char c = markup[i];
        const char close = c == '{' ? '}' : (c == '<' ? '>' : 0);
        const std::size_t end = close ? markup.find(close, i + 1) : std::string_view::npos;
        if (end == std::string_view::npos) {
            if (c == '&')
                out += "&amp;";
            else if (c == '<')
                out += "&lt;";
            else if (c == '>')
                out += "&gt;";
            else if (c == '\n')
                out += "<br>";
            else
                out += c;
            ++i;
            continue;
        }
        const std::string_view tag = markup.substr(i + 1, end - i - 1);
        const std::string_view arg = tag.size() > 2 ? tag.substr(2) : std::string_view{};
        if (tag == "b" || tag == "i" || tag == "u" || tag == "/b" || tag == "/i" || tag == "/u") {
            out += "<" + std::string(tag) + ">";
        } else if (tag == "n") {
            out += "<br>";
        } else if (tag.starts_with("c ")) {
            out += "<span style=\"color:" + std::string(arg) + "\">";
        } else if (tag.starts_with("f ")) {
            const QFont f = FontOf(manager, std::atoi(std::string(arg).c_str()));
            out += "<span style=\"font-family:'" + f.family().toStdString() +
                   "';font-size:" + std::to_string(f.pixelSize()) +
                   "px;font-weight:" + (f.bold() ? "bold" : "normal") + "\">";
        } else if (tag == "/c" || tag == "/f") {
            out += "</span>";
        } else {
            out += std::string(1, c) + std::string(tag) + std::string(1, close);
        }
        i = end + 1;
    }
    return out;
}

}  // namespace

CRenderContext::CRenderContext(Backend& backend, const CPaintManagerUI* manager)
    : m_backend(backend), m_manager(manager), m_baseOpacity(backend.painter.opacity()) {}

CRenderContext::~CRenderContext() = default;

int CRenderContext::Scale(int value) const {
    return m_manager ? m_manager->ScaleValue(value) : value;
}

UIRect CRenderContext::Scale(const UIRect& rc) const {
    return m_manager ? m_manager->ScaleRect(rc) : rc;
}

UISize CRenderContext::Scale(UISize size) const {
    return m_manager ? m_manager->ScaleSize(size) : size;
}

void CRenderContext::FillRect(const UIRect& rc, UIColor color) {
    if (Invisible(color)) return;
    m_backend.painter.fillRect(ToQRect(rc), ToQColor(color));
}

void CRenderContext::FillRoundRect(const UIRect& rc, UISize round, UIColor color) {
    if (Invisible(color)) return;
    QPainter& p = m_backend.painter;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(color));
    const UISize r = Scale(round);
    p.drawRoundedRect(QRectF(ToQRect(rc)), r.cx / 2.0, r.cy / 2.0);
    p.restore();
}

void CRenderContext::DrawRect(const UIRect& rc, int size, UIColor color) {
    DrawRoundRect(rc, size, {0, 0}, color);
}

void CRenderContext::DrawRoundRect(const UIRect& rc, int size, UISize round, UIColor color) {
    if (Invisible(color) || size <= 0) return;
    QPainter& p = m_backend.painter;
    p.save();
    const double pen = std::max(1, Scale(size));
    p.setPen(QPen(ToQColor(color), pen));
    p.setBrush(Qt::NoBrush);
    // Centre the pen inside the rectangle so that 1-pixel borders stay crisp.
    const QRectF r = QRectF(ToQRect(rc)).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
    const UISize radius = Scale(round);
    if (radius.cx > 0 || radius.cy > 0) {
        p.drawRoundedRect(r, radius.cx / 2.0, radius.cy / 2.0);
    } else {
        p.drawRect(r);
    }
    p.restore();
}

void CRenderContext::DrawLine(UIPoint from, UIPoint to, int size, UIColor color) {
    if (Invisible(color)) return;
    QPainter& p = m_backend.painter;
    p.save();
    p.setPen(QPen(ToQColor(color), std::max(1, Scale(size))));
    p.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
    p.restore();
}

void CRenderContext::FillEllipse(const UIRect& rc, UIColor color) {
    if (Invisible(color)) return;
    QPainter& p = m_backend.painter;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(color));
    p.drawEllipse(QRectF(ToQRect(rc)));
    p.restore();
}

void CRenderContext::DrawEllipse(const UIRect& rc, int size, UIColor color) {
    if (Invisible(color) || size <= 0) return;
    QPainter& p = m_backend.painter;
    p.save();
    const double pen = std::max(1, Scale(size));
    p.setPen(QPen(ToQColor(color), pen));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(ToQRect(rc)).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2));
    p.restore();
}

void CRenderContext::FillPie(const UIRect& rc, double startDegrees, double sweepDegrees,
                             UIColor color) {
    if (Invisible(color)) return;
    QPainter& p = m_backend.painter;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(color));
    p.drawPie(QRectF(ToQRect(rc)), static_cast<int>(std::lround(startDegrees * 16)),
              static_cast<int>(std::lround(sweepDegrees * 16)));
    p.restore();
}

void CRenderContext::DrawText(const UIRect& rc, std::string_view text, UIColor color, int fontId,
                              unsigned style) {
    if (text.empty() || rc.IsEmpty()) return;
    QPainter& p = m_backend.painter;
    p.save();
    const QFont font = FontOf(m_manager, fontId);
    p.setFont(font);
    p.setPen(TextQColor(color));
    QString qtext = ToQString(text);
    const bool wrap = (style & TextStyle::WordBreak) && !(style & TextStyle::SingleLine);
    int flags = static_cast<int>(AlignmentOf(style));
    if (wrap) {
        flags |= Qt::TextWordWrap;
    } else if (style & TextStyle::EndEllipsis) {
        qtext = QFontMetrics(font).elidedText(qtext, Qt::ElideRight, rc.Width());
    }
    p.drawText(ToQRect(rc), flags, qtext);
    p.restore();
}

void CRenderContext::DrawHtmlText(const UIRect& rc, std::string_view markup, UIColor color,
                                  int fontId, unsigned style) {
    if (markup.empty() || rc.IsEmpty()) return;
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(FontOf(m_manager, fontId));
    QTextOption option(AlignmentOf(style) & Qt::AlignHorizontal_Mask);
    const bool wrap = (style & TextStyle::WordBreak) && !(style & TextStyle::SingleLine);
    option.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    doc.setDefaultTextOption(option);
    doc.setDefaultStyleSheet(QStringLiteral("body{color:%1}").arg(TextQColor(color).name()));
    doc.setHtml(QStringLiteral("<body>%1</body>").arg(ToQString(MarkupToHtml(markup, m_manager))));
    doc.setTextWidth(rc.Width());
    const double height = doc.size().height();
    double top = rc.top;
    if (style & TextStyle::VCenter) top += (rc.Height() - height) / 2;
    if (style & TextStyle::Bottom) top += rc.Height() - height;
    QPainter& p = m_backend.painter;
    p.save();
    p.setClipRect(ToQRect(rc), Qt::IntersectClip);
    p.translate(rc.left, top);
    doc.drawContents(&p);
    p.restore();
}

UISize CRenderContext::MeasureText(std::string_view text, int fontId, int width) const {
    const QFontMetrics metrics(FontOf(m_manager, fontId));
    if (width > 0) {
        const QRect r = metrics.boundingRect(QRect(0, 0, width, INT_MAX / 2), Qt::TextWordWrap,
                                             ToQString(text));
        return {r.width(), r.height()};
    }
    return {metrics.horizontalAdvance(ToQString(text)), metrics.height()};
}

void CRenderContext::SetOpacity(double opacity) {
    m_backend.painter.setOpacity(m_baseOpacity * std::clamp(opacity, 0.0, 1.0));
}

double CRenderContext::GetOpacity() const {
    return m_baseOpacity > 0 ? m_backend.painter.opacity() / m_baseOpacity : 0.0;
}

void CRenderContext::PushClip(const UIRect& rc) {
    m_backend.painter.save();
    m_backend.painter.setClipRect(ToQRect(rc), Qt::IntersectClip);
}

void CRenderContext::PopClip() {
    m_backend.painter.restore();
}
