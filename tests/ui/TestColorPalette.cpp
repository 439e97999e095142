// Colour palette: picks in the field and the bar, and the silent setter.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

// 200 x 130: the field is the top 114 px, then a 6 px gap and the 10 px bar.
constexpr const char* kLayout = R"(<Window size="300,200">
    <VerticalLayout name="root">
      <ColorPalette name="deng_Color_Pallet" width="200" height="130" barheight="10"/>
      <Control/>
    </VerticalLayout></Window>)";
constexpr int kBarY = 114 + 6 + 5;

void Mouse(QWidget* w, QEvent::Type type, QPoint local) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, w->mapToGlobal(QPointF(local)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

class ColorPaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_window.Create(kNoWindow, "palette", UIStyle::Visible, 0, 0, 0, 0, 0));
        ASSERT_TRUE(RunUntil([&] { return m_window.Count("windowinit") == 1; }));
        m_palette = dynamic_cast<CColorPaletteUI*>(
            m_window.GetPaintManager().FindControl("deng_Color_Pallet"));
        ASSERT_NE(m_palette, nullptr);
        ASSERT_EQ(m_palette->GetPalletRect().Height(), 114);
    }

    CTempSkin m_skin;
    CTestWindow m_window{kLayout};
    CColorPaletteUI* m_palette = nullptr;
};

TEST_F(ColorPaletteTest, SetSelectColorIsSilentAndExact) {
    for (UIColor color : {0xFF123456u, 0xFF808080u, 0xFF00FF00u}) {
        m_palette->SetSelectColor(color);
        EXPECT_EQ(m_palette->GetSelectColor(), color);
    }
    m_palette->SetSelectColor(0x00ABCDEF);  // no alpha given: opaque
    EXPECT_EQ(m_palette->GetSelectColor(), 0xFFABCDEFu);
    EXPECT_EQ(m_window.Count("colorchanged"), 0);
}

TEST_F(ColorPaletteTest, PickingReportsThePickedColourOnRelease) {
    QWidget* w = m_palette->GetWidget();
    struct Case {
        QPoint press;
        QPoint release;
        UIColor expected;
    };
    const Case cases[] = {
        {{100, 50}, {0, 0}, 0xFFFF0000},         // dragged to full saturation, hue 0
        {{100, 50}, {100, 113}, 0xFFFFFFFF},     // no saturation at full brightness
        {{150, kBarY}, {0, kBarY}, 0xFF000000},  // the bar's dark end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        m_palette->SetSelectColor(0xFFFF0000);
        m_window.m_notes.clear();
        Mouse(w, QEvent::MouseButtonPress, c.press);
        Mouse(w, QEvent::MouseMove, (c.press + c.release) / 2);
        EXPECT_EQ(m_window.Count("colorchanged"), 0);  // not while dragging
        Mouse(w, QEvent::MouseButtonRelease, c.release);
        EXPECT_EQ(m_window.Count("colorchanged", "deng_Color_Pallet"), 1);
        EXPECT_EQ(m_palette->GetSelectColor(), c.expected);
    }
}

}  // namespace
