// Draws the default skin's line-art images. Run it from the build tree
// (target skin_images) with the skin folder as argument; the PNGs it writes are
// committed, so a normal build never runs it.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cmath>
#include <functional>

namespace {

const QColor kText("#e6e8ee");
const QColor kSecondary("#9aa1ae");
const QColor kAccent("#19c3a0");
const QColor kError("#e5534b");
const QColor kWarning("#e5a13a");
const QColor kPanel("#1f2229");
const QColor kRaised("#2a2e37");
const QColor kBorder("#343945");

using Draw = std::function<void(QPainter&, QColor)>;
QString g_root;

// Writes NAME.png at size w x h and NAME@2x.png at twice the size; the drawing
// works in 1x coordinates.
void Save(const QString& name, int w, int h, const Draw& draw, QColor colour) {
    for (int scale : {1, 2}) {
        QImage image(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p, colour);
        p.end();
        const QString path = g_root + "/" + name + (scale == 2 ? "@2x.png" : ".png");
        QDir().mkpath(QFileInfo(path).absolutePath());
        image.save(path);
    }
}

QPen Line(QColor c, qreal width = 1.6) {
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Title bar glyphs, 32 x 32 with a 12 px glyph in the middle.
void Close(QPainter& p, QColor c) {
    p.setPen(Line(c));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}
void Minimise(QPainter& p, QColor c) {
    p.setPen(Line(c));
    p.drawLine(QPointF(10, 16.5), QPointF(22, 16.5));
}
void Maximise(QPainter& p, QColor c) {
    p.setPen(Line(c));
    p.drawRoundedRect(QRectF(10.5, 10.5, 11, 11), 1.5, 1.5);
}
void Restore(QPainter& p, QColor c) {
    p.setPen(Line(c));
    p.drawRoundedRect(QRectF(10.5, 13.5, 8, 8), 1.5, 1.5);
    p.drawPolyline(QPolygonF({QPointF(13.5, 13), QPointF(13.5, 10.5), QPointF(21.5, 10.5),
                              QPointF(21.5, 18.5), QPointF(19, 18.5)}));
}
void Skin(QPainter& p, QColor c) {  // a brush
    p.setPen(Line(c));
    p.drawLine(QPointF(21, 10), QPointF(15, 17));
    QPainterPath tip;
    tip.moveTo(15, 16);
    tip.cubicTo(11, 16, 12, 20, 10, 22);
    tip.cubicTo(14, 22, 17, 21, 16.5, 18);
    p.drawPath(tip);
}
void Settings(QPainter& p, QColor c) {  // a gear
    p.setPen(Line(c));
    const QPointF centre(16, 16);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        p.drawLine(centre + QPointF(std::cos(a) * 4.5, std::sin(a) * 4.5),
                   centre + QPointF(std::cos(a) * 6.5, std::sin(a) * 6.5));
    }
    p.drawEllipse(centre, 4.5, 4.5);
    p.drawEllipse(centre, 1.8, 1.8);
}
void NewInfoBadge(QPainter& p, QColor c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(24, 8), 3.5, 3.5);
}

// Device icons, 40 x 40.
void Mouse(QPainter& p, QColor c) {
    p.setPen(Line(c, 1.8));
    p.drawRoundedRect(QRectF(12, 6, 16, 28), 8, 8);
    p.drawLine(QPointF(20, 6), QPointF(20, 15));
    p.drawLine(QPointF(12.5, 15), QPointF(27.5, 15));
    p.drawLine(QPointF(20, 9.5), QPointF(20, 12));
}
void Keyboard(QPainter& p, QColor c) {
    p.setPen(Line(c, 1.8));
    p.drawRoundedRect(QRectF(5, 11, 30, 18), 3, 3);
    p.setPen(Line(c, 2.0));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 6; ++col) p.drawPoint(QPointF(10 + col * 4, 16 + row * 4));
    p.drawLine(QPointF(13, 24.5), QPointF(27, 24.5));
}
void Mousepad(QPainter& p, QColor c, bool soft) {
    p.setPen(Line(c, 1.8));
    p.drawRoundedRect(QRectF(5, 9, 30, 22), 4, 4);
    if (soft) {
        QPainterPath wave;
        wave.moveTo(9, 24);
        wave.cubicTo(14, 18, 18, 28, 23, 22);
        wave.cubicTo(26, 19, 29, 21, 31, 19);
        p.drawPath(wave);
    } else {
        p.drawRoundedRect(QRectF(9, 13, 22, 14), 2, 2);
    }
}
void Headset(QPainter& p, QColor c) {
    p.setPen(Line(c, 1.8));
    p.drawArc(QRectF(9, 7, 22, 24), 0, 180 * 16);
    p.drawRoundedRect(QRectF(7, 20, 6, 11), 2.5, 2.5);
    p.drawRoundedRect(QRectF(27, 20, 6, 11), 2.5, 2.5);
}
void Hub(QPainter& p, QColor c) {
    p.setPen(Line(c, 1.8));
    p.drawEllipse(QPointF(20, 28), 3, 3);
    p.drawLine(QPointF(20, 25), QPointF(20, 8));
    p.drawLine(QPointF(20, 20), QPointF(12, 14));
    p.drawLine(QPointF(20, 17), QPointF(28, 12));
    p.drawEllipse(QPointF(11, 13), 1.8, 1.8);
    p.drawRect(QRectF(27, 9.5, 3, 3));
}
void Unknown(QPainter& p, QColor c) {
    p.setPen(Line(c, 1.8));
    p.drawEllipse(QPointF(20, 20), 13, 13);
    QPainterPath q;
    q.moveTo(16, 16);
    q.cubicTo(16, 11, 24, 11, 24, 16);
    q.cubicTo(24, 19, 20, 19, 20, 23);
    p.drawPath(q);
    p.drawPoint(QPointF(20, 27));
}
// The small two-arrow mark of a device taking part in synchronised lighting.
Draw WithSyncMark(Draw icon) {
    return [icon](QPainter& p, QColor c) {
        icon(p, c);
        p.setPen(Qt::NoPen);
        p.setBrush(kPanel);
        p.drawEllipse(QPointF(32, 32), 7, 7);
        p.setBrush(Qt::NoBrush);
        p.setPen(Line(kAccent, 1.5));
        p.drawArc(QRectF(28, 28, 8, 8), 30 * 16, 150 * 16);
        p.drawArc(QRectF(28, 28, 8, 8), 210 * 16, 150 * 16);
    };
}

// The "no device" drawing: a USB plug and a loose cable, 160 x 100.
void NoDevice(QPainter& p, QColor c) {
    p.setPen(Line(c, 2.2));
    QPainterPath cable;
    cable.moveTo(8, 86);
    cable.cubicTo(40, 86, 40, 50, 70, 50);
    p.drawPath(cable);
    p.drawRoundedRect(QRectF(70, 40, 26, 20), 3, 3);
    p.drawRect(QRectF(96, 44, 22, 12));
    p.drawLine(QPointF(103, 48), QPointF(106, 48));
    p.drawLine(QPointF(109, 48), QPointF(112, 48));
    p.setPen(Line(kSecondary, 2.2));
    p.drawLine(QPointF(128, 36), QPointF(136, 30));
    p.drawLine(QPointF(130, 50), QPointF(142, 50));
    p.drawLine(QPointF(128, 64), QPointF(136, 70));
}

// The mouse seen from above, 200 x 340: the device picture under the mouse page's key
// and LED buttons, which are placed over it by the page layout.
void MouseTopView(QPainter& p, QColor c) {
    QPainterPath body;
    body.moveTo(100, 12);
    body.cubicTo(150, 12, 176, 40, 178, 100);
    body.lineTo(174, 250);
    body.cubicTo(170, 310, 140, 330, 100, 330);
    body.cubicTo(60, 330, 30, 310, 26, 250);
    body.lineTo(22, 100);
    body.cubicTo(24, 40, 50, 12, 100, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(kPanel);
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(Line(c, 2.2));
    p.drawPath(body);
    p.setPen(Line(kSecondary, 1.6));
    p.drawLine(QPointF(100, 14), QPointF(100, 38));
    p.drawLine(QPointF(100, 118), QPointF(100, 130));
    QPainterPath buttonsEdge;
    buttonsEdge.moveTo(23, 122);
    buttonsEdge.quadTo(100, 142, 177, 122);
    p.drawPath(buttonsEdge);
    p.drawRoundedRect(QRectF(91, 40, 18, 44), 9, 9);  // wheel
    for (int y = 50; y <= 74; y += 6) p.drawLine(QPointF(95, y), QPointF(105, y));
    p.drawRoundedRect(QRectF(92, 91, 16, 10), 3, 3);   // DPI up
    p.drawRoundedRect(QRectF(92, 105, 16, 10), 3, 3);  // DPI down
    p.drawRoundedRect(QRectF(24, 150, 10, 30), 4, 4);  // forward
    p.drawRoundedRect(QRectF(24, 188, 10, 30), 4, 4);  // back
    p.drawEllipse(QPointF(100, 168), 7, 7);            // mode
    p.setPen(Line(kAccent, 1.6));
    p.drawEllipse(QPointF(100, 270), 9, 9);  // logo
    p.drawLine(QPointF(96, 270), QPointF(104, 270));
}

// The program icon: an accent ring with a mouse.
void AppIcon(QPainter& p, QColor c) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#16181d"));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    p.setBrush(Qt::NoBrush);
    p.setPen(Line(c, 3));
    p.drawRoundedRect(QRectF(22, 12, 20, 40), 10, 10);
    p.drawLine(QPointF(32, 12), QPointF(32, 26));
    p.drawLine(QPointF(22.5, 26), QPointF(41.5, 26));
}

// Slider parts for the DPI stages: a thin track stretched over the slider's width and
// a round thumb; the active stage's are drawn in the accent colour.
void SliderTrack(QPainter& p, QColor c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(0, 8, 40, 4), 2, 2);
}

void SliderThumb(QPainter& p, QColor c) {
    p.setPen(QPen(kPanel, 2));
    p.setBrush(c);
    p.drawEllipse(QRectF(1, 1, 14, 14));
}

void DrawSliderImages() {
    Save("Control/SliderBar_BK1", 40, 20, SliderTrack, kBorder);
    Save("Control/SliderBar_BK3", 40, 20, SliderTrack, kAccent);
    Save("Control/SliderBar1_Thumb", 16, 16, SliderThumb, kText);
    Save("Control/SliderBar2_Thumb", 16, 16, SliderThumb, kAccent);
}

void DrawAll() {
    struct Glyph {
        const char* name;
        Draw draw;
        QColor pushed;
    };
    const Glyph glyphs[] = {{"close", Close, kError},   {"min", Minimise, kAccent},
                            {"max", Maximise, kAccent}, {"restore", Restore, kAccent},
                            {"skin", Skin, kAccent},    {"set", Settings, kAccent}};
    for (const auto& g : glyphs) {
        Save(QString("sysbtn/%1_normal").arg(g.name), 32, 32, g.draw, kSecondary);
        Save(QString("sysbtn/%1_hot").arg(g.name), 32, 32, g.draw, kText);
        Save(QString("sysbtn/%1_pushed").arg(g.name), 32, 32, g.draw, g.pushed);
    }
    Save("sysbtn/haveNewInfo", 32, 32, NewInfoBadge, kWarning);

    struct Device {
        const char* prefix;
        Draw draw;
    };
    const Device devices[] = {
        {"kb_device_", Keyboard},
        {"ms_device_", Mouse},
        {"hard_mp_device_", [](QPainter& p, QColor c) { Mousepad(p, c, false); }},
        {"soft_mp_device_", [](QPainter& p, QColor c) { Mousepad(p, c, true); }},
        {"hd_device_", Headset},
        {"hub_device_", Hub},
        {"unknow_device_", Unknown},
    };
    for (const auto& d : devices) {
        const QString base = QString("common/device_ico/") + d.prefix;
        Save(base + "normal", 40, 40, d.draw, kSecondary);
        Save(base + "selected", 40, 40, d.draw, kAccent);
        Save(base + "synchro_normal", 40, 40, WithSyncMark(d.draw), kSecondary);
        Save(base + "synchro_selected", 40, 40, WithSyncMark(d.draw), kAccent);
    }
    Save("common/no_device", 160, 100, NoDevice, kText);
    Save("common/app_icon", 64, 64, AppIcon, kAccent);
    Save("device/mouse_top", 200, 340, MouseTopView, kText);
    DrawSliderImages();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    g_root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("skin");
    DrawAll();
    return 0;
}
