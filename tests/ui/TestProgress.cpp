// Progress bars: bounds and visibility.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

TEST(Progress, ValueStaysWithinItsBounds) {
    struct Case {
        int min;
        int max;
        int set;
        int expected;
    };
    const Case cases[] = {
        {0, 100, 50, 50},    {0, 100, -1, 0}, {0, 100, 101, 100},
        {-13, 18, -20, -13}, {-13, 18, 0, 0}, {5, 5, 7, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " <- " +
                     std::to_string(c.set));
        CProgressUI progress;
        progress.SetMinValue(c.min);
        progress.SetMaxValue(c.max);
        progress.SetValue(c.set);
        EXPECT_EQ(progress.GetValue(), c.expected);
    }
}

TEST(Progress, NarrowingTheBoundsPullsTheValueIn) {
    CProgressUI progress;
    progress.SetValue(90);
    progress.SetMaxValue(40);
    EXPECT_EQ(progress.GetValue(), 40);
    progress.SetMinValue(60);  // an empty range for a moment, as layouts may give
    progress.SetMaxValue(80);
    EXPECT_EQ(progress.GetValue(), 60);
}

TEST(Progress, LayoutAttributesAndVisibility) {
    CTempSkin skin;
    CTestWindow window(R"(<Window size="200,60"><VerticalLayout>
        <Progress name="device_Power_progress" min="0" max="100" value="75" height="10"/>
        <Control/></VerticalLayout></Window>)");
    ASSERT_TRUE(window.Create(kNoWindow, "progress", UIStyle::Visible, 0, 0, 0, 0, 0));
    auto* progress =
        dynamic_cast<CProgressUI*>(window.GetPaintManager().FindControl("device_Power_progress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->GetValue(), 75);
    ASSERT_TRUE(RunUntil([&] { return progress->GetWidget()->isVisible(); }));
    progress->SetVisible(false);
    EXPECT_FALSE(progress->GetWidget()->isVisible());
}

}  // namespace
