#include <gtest/gtest.h>

#include <QImage>

#include "AppTestSupport.h"
#include "ui/UILib.h"

namespace {

// A window holding one circular progress control over its whole client area.
class CRingWindow : public WindowImplBase {
public:
    explicit CRingWindow(std::string layout) : m_layout(std::move(layout)) {}
    std::string GetWindowClassName() const override { return "RingWindow"; }
    std::string GetSkinFile() override { return m_layout; }

private:
    std::string m_layout;
};

QRgb PixelAfterPaint(int min, int max, int value, int x, int y) {
    CRingWindow window("<Window size=\"100,100\"><CCircleProgressUI name=\"ring\" min=\"" +
                       std::to_string(min) + "\" max=\"" + std::to_string(max) + "\" value=\"" +
                       std::to_string(value) +
                       "\" bkcolor=\"#FFFF0000\" forecolor=\"#FF00FF00\" innercolor=\"#FFFFFFFF\"/>"
                       "</Window>");
    EXPECT_TRUE(window.Create(kNoWindow, "ring", UIStyle::Popup, 0, 0, 0, 100, 100));
    CTempFolder folder;
    const std::string file = folder.Path() + "/ring.png";
    EXPECT_TRUE(window.SaveScreenshot(file));
    return QImage(QString::fromStdString(file)).pixel(x, y);
}

TEST(CircleProgressPaintTest, PieGrowsClockwiseFromTheBottomAndAnEmptyRangeDrawsNone) {
    struct Case {
        int min, max, value, x, y;
        QRgb expected;
    };
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), white = qRgb(255, 255, 255);
    for (const Case c : {
             Case{0, 100, 50, 4, 50, green},  // half: bottom, left side, to the top
             Case{0, 100, 50, 96, 50, red},   // the right side is still empty
             Case{0, 100, 50, 50, 50, white},
             Case{50, 50, 50, 4, 50, red},  // empty range: no pie, no division by zero
             Case{100, 0, 50, 4, 50, red},
         }) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " value " << c.value << " at "
                                        << c.x << "," << c.y);
        EXPECT_EQ(PixelAfterPaint(c.min, c.max, c.value, c.x, c.y) & 0xFFFFFF,
                  c.expected & 0xFFFFFF);
    }
}

}  // namespace
