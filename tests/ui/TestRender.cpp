// Program-defined controls paint through CRenderContext and receive input through
// DoEvent; image descriptions, tints and the @2x files.
#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

constexpr UIColor kRed = 0xFFFF0000;
constexpr UIColor kBlue = 0xFF0000FF;

// Draws what the test asks for and counts the presses it gets.
class CCanvasUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "CanvasUI"; }
    void DoPaint(CRenderContext& ctx) override {
        if (paint) paint(ctx, GetPos());
    }
    void DoEvent(TEventUI& event) override {
        if (event.type == UIEventType::ButtonDown) presses.push_back(event.mouse);
        CControlUI::DoEvent(event);
    }
    std::function<void(CRenderContext&, const UIRect&)> paint;
    std::vector<UIPoint> presses;
};

class CCanvasWindow : public CTestWindow {
public:
    using CTestWindow::CTestWindow;
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override {
        if (tag != "Canvas") return nullptr;
        auto canvas = std::make_unique<CCanvasUI>();
        m_canvas = canvas.get();
        return canvas;
    }
    CCanvasUI* m_canvas = nullptr;
};

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A 4x4 image: opaque white with a transparent top-left pixel; its @2x twin is green.
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::white);
        image.setPixelColor(0, 0, Qt::transparent);
        image.save(QString::fromStdString(m_skin.Path() + "dot.png"));
        QImage twice(8, 8, QImage::Format_ARGB32);
        twice.fill(Qt::green);
        twice.save(QString::fromStdString(m_skin.Path() + "dot@2x.png"));
    }

    // Paints the canvas of a 100x60 window (at `dpi`) and returns the window's image.
    QImage Paint(std::function<void(CRenderContext&, const UIRect&)> paint, int dpi = 96) {
        CCanvasWindow w(
            R"(<Window size="100,60"><VerticalLayout bkcolor="#FF000000" inset="10,10,10,10">
            <Canvas name="canvas"/></VerticalLayout></Window>)");
        EXPECT_TRUE(w.Create(kNoWindow, "render", 0, 0, 0, 0, 0, 0));
        w.GetPaintManager().SetDPI(dpi);
        w.m_canvas->paint = std::move(paint);
        const std::string file = m_skin.Path() + "render.png";
        EXPECT_TRUE(w.SaveScreenshot(file));
        return QImage(QString::fromStdString(file));
    }

    static QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

    CTempSkin m_skin;
};

TEST_F(RenderTest, CustomControlPaintsInWindowCoordinates) {
    const QImage image = Paint([](CRenderContext& ctx, const UIRect& pos) {
        EXPECT_EQ(pos, (UIRect{10, 10, 90, 50}));
        ctx.FillRect(pos, kRed);
        ctx.FillRect({pos.left, pos.top, pos.left + 10, pos.top + 10}, kBlue);
    });
    EXPECT_EQ(At(image, 5, 5), 0xFF000000u);  // the root's background
    EXPECT_EQ(At(image, 12, 12), 0xFF0000FFu);
    EXPECT_EQ(At(image, 50, 30), 0xFFFF0000u);
}

TEST_F(RenderTest, ImagesTintsAndMissingFiles) {
    bool missingDrawn = true;
    const QImage image = Paint([&](CRenderContext& ctx, const UIRect&) {
        ctx.DrawImage({10, 10, 30, 30}, "dot.png");
        ctx.DrawImage({40, 10, 60, 30}, "file='dot.png' source='2,2,4,4'", kRed);
        ctx.DrawImage({70, 10, 90, 30}, "file='dot.png' fade='0'");
        missingDrawn = ctx.DrawImage({10, 10, 30, 30}, "file='nothing-here.png'");
    });
    EXPECT_EQ(At(image, 25, 25), 0xFFFFFFFFu);
    EXPECT_EQ(At(image, 11, 11), 0xFF000000u);  // the transparent corner, scaled up
    EXPECT_EQ(At(image, 50, 20), 0xFFFF0000u);  // tinted
    EXPECT_EQ(At(image, 80, 20), 0xFF000000u);  // fully faded
    EXPECT_FALSE(missingDrawn);
}

TEST_F(RenderTest, ZoomedWindowsUseTheDoubleSizeImage) {
    const QImage image = Paint(
        [](CRenderContext& ctx, const UIRect& pos) {
            ctx.DrawImage(pos, "dot.png");
            EXPECT_EQ(ctx.Scale(10), 20);
        },
        192);
    EXPECT_EQ(At(image, 100, 60), 0xFF00FF00u);
}

TEST_F(RenderTest, TextAndMarkupDrawInsideTheirRectangle) {
    const QImage image = Paint([](CRenderContext& ctx, const UIRect& pos) {
        const UIRect top{pos.left, pos.top, pos.right, pos.top + 20};
        ctx.DrawText(top, "MMMM", 0xFFFFFFFF, -1, TextStyle::Center | TextStyle::VCenter);
        const UIRect bottom{pos.left, pos.top + 20, pos.right, pos.bottom};
        ctx.DrawHtmlText(bottom, "{c #FF0000}{b}MMMM{/b}{/c}", 0, -1, TextStyle::Right);
        EXPECT_GT(ctx.MeasureText("MMMM", -1).cx, 10);
    });
    int white = 0, red = 0;
    for (int y = 10; y < 50; ++y) {
        for (int x = 10; x < 90; ++x) {
            const QColor c = QColor::fromRgb(At(image, x, y));
            white += c.red() > 200 && c.green() > 200 ? 1 : 0;
            red += y >= 30 && c.red() > 150 && c.green() < 80 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 20);
    EXPECT_GT(red, 20);
    EXPECT_EQ(At(image, 12, 12), 0xFF000000u);  // centred: nothing at the far left
}

TEST_F(RenderTest, CustomControlReceivesPressesInWindowCoordinates) {
    CCanvasWindow w(R"(<Window size="100,60"><VerticalLayout inset="10,10,10,10">
        <Canvas name="canvas"/></VerticalLayout></Window>)");
    ASSERT_TRUE(w.Create(kNoWindow, "input", UIStyle::Visible, 0, 0, 0, 0, 0));
    QWidget* widget = w.m_canvas->GetWidget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 7), widget->mapToGlobal(QPointF(5, 7)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    ASSERT_EQ(w.m_canvas->presses.size(), 1u);
    EXPECT_EQ(w.m_canvas->presses[0], (UIPoint{15, 17}));
    EXPECT_TRUE(w.m_canvas->IsMouseCaptured());
}

}  // namespace
