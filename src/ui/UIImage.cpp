// Image descriptions: parsing, loading (with the @2x variants of the skin), caching,
// tinting and nine-patch drawing.
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <map>
#include <utility>

#include "platform/Platform.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

namespace {

struct ImageDescription {
    std::string file;
    UIRect source;
    bool hasSource = false;
    UIRect corner;
    UIRect dest;
    bool hasDest = false;
    int fade = 255;
    bool xTiled = false;
    bool yTiled = false;
    bool hole = false;
};

struct LoadedImage {
    QImage image;
    int factor = 1;  // 2 for an @2x file
};

std::map<std::string, LoadedImage, std::less<>>& Cache() {
    static std::map<std::string, LoadedImage, std::less<>> cache;
    return cache;
}

void ApplyImageAttribute(ImageDescription& desc, std::string_view key, std::string_view value) {
    if (key == "file")
        desc.file = value;
    else if (key == "source")
        desc.source = ParseUIRect(value), desc.hasSource = true;
    else if (key == "corner")
        desc.corner = ParseUIRect(value);
    else if (key == "dest")
        desc.dest = ParseUIRect(value), desc.hasDest = true;
    else if (key == "fade")
        desc.fade = std::clamp(ParseUISize(value).cx, 0, 255);
    else if (key == "xtiled")
        desc.xTiled = ParseUIBool(value);
    else if (key == "ytiled")
        desc.yTiled = ParseUIBool(value);
    else if (key == "hole")
        desc.hole = ParseUIBool(value);
}

ImageDescription ParseImageDescription(std::string_view text) {
    ImageDescription desc;
    if (text.find('=') == std::string_view::npos) {
        desc.file = text;
        return desc;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t eq = text.find('=', i);
        if (eq == std::string_view::npos || eq + 1 >= text.size()) break;
        std::string_view key = text.substr(i, eq - i);
        while (!key.empty() && key.front() == ' ') key.remove_prefix(1);
        while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
        const char quote = text[eq + 1];
        if (quote != '\'' && quote != '"') break;
        const std::size_t end = text.find(quote, eq + 2);
        if (end == std::string_view::npos) break;
        ApplyImageAttribute(desc, key, text.substr(eq + 2, end - eq - 2));
        i = end + 1;
    }
    return desc;
}

std::string HighResName(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "@2x";
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

const LoadedImage& LoadImage(const std::string& file, bool highRes) {
    const std::string path = CResourceManager::Instance().ResolvePath(file);
    const std::string key = path + (highRes ? "#2x" : "#1x");
    auto& cache = Cache();
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    LoadedImage loaded;
    if (highRes && QFileInfo::exists(ToQString(HighResName(path)))) {
        loaded.image.load(ToQString(HighResName(path)));
        loaded.factor = loaded.image.isNull() ? 1 : 2;
    }
    if (loaded.image.isNull()) loaded.image.load(ToQString(path));
    if (loaded.image.isNull()) DebugOutput("ui: cannot load image " + path + "\n");
    return cache.emplace(key, std::move(loaded)).first->second;
}

QImage Tinted(const QImage& image, UIColor tint) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(out.rect(), QColor::fromRgb(static_cast<QRgb>(tint | 0xFF000000u)));
    return out;
}

// One piece of a nine-patch; empty pieces are skipped.
void DrawPiece(QPainter& p, const QImage& image, const QRect& src, const QRectF& dst, bool xTiled,
               bool yTiled) {
    if (src.isEmpty() || dst.isEmpty()) return;
    if (!xTiled && !yTiled) {
        p.drawImage(dst, image, src);
        return;
    }
    const QImage piece = image.copy(src);
    const QSizeF tile(xTiled ? piece.width() : dst.width(), yTiled ? piece.height() : dst.height());
    p.drawTiledPixmap(dst, QPixmap::fromImage(piece.scaled(tile.toSize())));
}

void DrawNinePatch(QPainter& p, const QImage& image, const QRect& src, const QRect& dst,
                   const QMargins& sc, const QMargins& dc, const ImageDescription& desc) {
    const int sx[4] = {src.left(), src.left() + sc.left(), src.right() + 1 - sc.right(),
                       src.right() + 1};
    const int sy[4] = {src.top(), src.top() + sc.top(), src.bottom() + 1 - sc.bottom(),
                       src.bottom() + 1};
    const int dx[4] = {dst.left(), dst.left() + dc.left(), dst.right() + 1 - dc.right(),
                       dst.right() + 1};
    const int dy[4] = {dst.top(), dst.top() + dc.top(), dst.bottom() + 1 - dc.bottom(),
                       dst.bottom() + 1};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (desc.hole && row == 1 && col == 1) continue;
            const QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
            const QRectF d(QPointF(dx[col], dy[row]), QPointF(dx[col + 1], dy[row + 1]));
            const bool middle = row == 1 || col == 1;
            DrawPiece(p, image, s, d, middle && desc.xTiled, middle && desc.yTiled);
        }
    }
}

}  // namespace

void ClearImageCache() {
    Cache().clear();
}

std::string ImageFileOf(std::string_view description) {
    return ParseImageDescription(description).file;
}

UISize GetImageSize(std::string_view file) {
    const LoadedImage& loaded = LoadImage(ParseImageDescription(file).file, false);
    return {loaded.image.width(), loaded.image.height()};
}

bool CRenderContext::DrawImage(const UIRect& rc, std::string_view description, UIColor tint,
                               int fade) {
    const ImageDescription desc = ParseImageDescription(description);
    if (desc.file.empty() || rc.IsEmpty()) return false;
    QPainter& p = m_backend.painter;
    const double deviceScale =
        (m_manager ? m_manager->GetScale() : 1.0) * p.device()->devicePixelRatioF();
    const LoadedImage& loaded = LoadImage(desc.file, deviceScale > 1.01);
    if (loaded.image.isNull()) return false;
    const int f = loaded.factor;
    QRect src = loaded.image.rect();
    if (desc.hasSource) {
        const UIRect& s = desc.source;
        src = QRect(s.left * f, s.top * f, s.Width() * f, s.Height() * f) & loaded.image.rect();
    }
    UIRect dst = rc;
    if (desc.hasDest) {
        const UIRect d = Scale(desc.dest);
        dst = {rc.left + d.left, rc.top + d.top, rc.left + d.right, rc.top + d.bottom};
    }
    const QImage image = tint ? Tinted(loaded.image, tint) : loaded.image;
    p.save();
    p.setOpacity(p.opacity() * (desc.fade / 255.0) * (std::clamp(fade, 0, 255) / 255.0));
    const UIRect& c = desc.corner;
    const UIRect dc = Scale(c);
    DrawNinePatch(p, image, src, ToQRect(dst),
                  QMargins(c.left * f, c.top * f, c.right * f, c.bottom * f),
                  QMargins(dc.left, dc.top, dc.right, dc.bottom), desc);
    p.restore();
    return true;
}
