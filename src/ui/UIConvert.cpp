// Conversions between the library's plain types, layout attribute text and Qt.
#include <QFontDatabase>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

int ParseInt(std::string_view s) {
    s = Trim(s);
    int value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    return value;
}

// Up to `count` comma-separated integers; missing ones stay 0.
template <std::size_t N>
std::array<int, N> ParseInts(std::string_view text) {
    std::array<int, N> out{};
    for (std::size_t i = 0; i < N && !text.empty(); ++i) {
        const auto comma = text.find(',');
        out[i] = ParseInt(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return out;
}

}  // namespace

UIRect ParseUIRect(std::string_view text) {
    const auto v = ParseInts<4>(text);
    return {v[0], v[1], v[2], v[3]};
}

UISize ParseUISize(std::string_view text) {
    const auto v = ParseInts<2>(text);
    return {v[0], v[1]};
}

UIColor ParseUIColor(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc()) return 0;
    const auto digits = end - text.data();
    return digits <= 6 ? (0xFF000000u | value) : value;
}

bool ParseUIBool(std::string_view text) {
    text = Trim(text);
    return text == "true" || text == "TRUE" || text == "True" || text == "1";
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQString(const QString& text) {
    return text.toStdString();
}

QColor ToQColor(UIColor color) {
    return QColor::fromRgba(static_cast<QRgb>(color));
}

UIColor FromQColor(const QColor& color) {
    return static_cast<UIColor>(color.rgba());
}

QRect ToQRect(const UIRect& rc) {
    return QRect(rc.left, rc.top, rc.Width(), rc.Height());
}

UIRect FromQRect(const QRect& rc) {
    return {rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()};
}

QRect LocalRect(const CControlUI& control, const UIRect& rc) {
    const UIRect& pos = control.GetPos();
    return ToQRect(rc.Offset(-pos.left, -pos.top));
}

QFont FontOf(const CPaintManagerUI* manager, int fontId) {
    TFontInfo info;
    if (manager) {
        const TFontInfo* found = manager->GetFontInfo(fontId);
        info = found ? *found : manager->GetDefaultFontInfo();
    } else {
        info.face = "Verdana";
        info.size = 13;
    }
    QFont font;
    // Faces a skin names may not exist here; fall back to the skin's choice of sans.
    font.setFamilies({ToQString(info.face), QStringLiteral("Verdana"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei")});
    const double scale = manager ? manager->GetScale() : 1.0;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(info.size * scale))));
    font.setBold(info.bold);
    font.setUnderline(info.underline);
    font.setItalic(info.italic);
    return font;
}

int VirtualKeyOf(int qtKey) {
    struct KeyPair {
        int qt;
        int vk;
    };
    static constexpr KeyPair kKeys[] = {
        {Qt::Key_Backspace, VKey::Back}, {Qt::Key_Tab, VKey::Tab},
        {Qt::Key_Return, VKey::Return},  {Qt::Key_Enter, VKey::Return},
        {Qt::Key_Shift, VKey::Shift},    {Qt::Key_Control, VKey::Control},
        {Qt::Key_Alt, VKey::Menu},       {Qt::Key_Escape, VKey::Escape},
        {Qt::Key_Space, VKey::Space},    {Qt::Key_PageUp, VKey::Prior},
        {Qt::Key_PageDown, VKey::Next},  {Qt::Key_End, VKey::End},
        {Qt::Key_Home, VKey::Home},      {Qt::Key_Left, VKey::Left},
        {Qt::Key_Up, VKey::Up},          {Qt::Key_Right, VKey::Right},
        {Qt::Key_Down, VKey::Down},      {Qt::Key_Delete, VKey::Delete},
    };
    for (const KeyPair& k : kKeys) {
        if (k.qt == qtKey) return k.vk;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;  // same numbering
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
    return 0;
}
