// Sliders: silent setters, dragging, clicks on the track, keys; negative minimum.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

// -13..18 over 31 steps: with a 14 px thumb and a 324 px control each step is 10 px and
// the thumb centre of value v sits at x = 7 + (v + 13) * 10.
constexpr const char* kLayout = R"(<Window size="400,100">
    <VerticalLayout name="root">
      <Slider name="eq" width="324" height="20" min="-13" max="18" value="0" thumbsize="14,14"/>
      <Control/>
    </VerticalLayout></Window>)";

int CentreOf(int value) {
    return 7 + (value + 13) * 10;
}

void Mouse(QWidget* w, QEvent::Type type, int x, Qt::MouseButtons buttons) {
    const QPointF local(x, 10);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_window.Create(kNoWindow, "slider", UIStyle::Visible, 0, 0, 0, 0, 0));
        ASSERT_TRUE(RunUntil([&] { return m_window.Count("windowinit") == 1; }));
        m_slider = dynamic_cast<CSliderUI*>(m_window.GetPaintManager().FindControl("eq"));
        ASSERT_NE(m_slider, nullptr);
        ASSERT_EQ(m_slider->GetPos().Width(), 324);
    }
    std::vector<std::string> Types() const {
        std::vector<std::string> types;
        for (const auto& note : m_window.m_notes)
            if (note.sender == "eq") types.push_back(note.type);
        return types;
    }

    CTempSkin m_skin;
    CTestWindow m_window{kLayout};
    CSliderUI* m_slider = nullptr;
};

TEST_F(SliderTest, SetValueIsSilentAndStaysWithinANegativeRange) {
    EXPECT_EQ(m_slider->GetMinValue(), -13);
    struct Case {
        int set;
        int expected;
    };
    for (const Case c : {Case{-5, -5}, Case{-40, -13}, Case{18, 18}, Case{99, 18}}) {
        SCOPED_TRACE(c.set);
        m_slider->SetValue(c.set);
        EXPECT_EQ(m_slider->GetValue(), c.expected);
    }
    EXPECT_TRUE(Types().empty());
}

TEST_F(SliderTest, DragReportsMovesThenTheFinalValueOnRelease) {
    QWidget* w = m_slider->GetWidget();
    Mouse(w, QEvent::MouseButtonPress, CentreOf(0) + 3, Qt::LeftButton);  // on the thumb
    EXPECT_EQ(m_slider->GetValue(), 0);  // grabbing does not move it
    Mouse(w, QEvent::MouseMove, CentreOf(-4) + 3, Qt::LeftButton);
    EXPECT_EQ(m_slider->GetValue(), -4);
    Mouse(w, QEvent::MouseMove, CentreOf(-20) + 3, Qt::LeftButton);  // past the end
    EXPECT_EQ(m_slider->GetValue(), -13);
    Mouse(w, QEvent::MouseButtonRelease, CentreOf(5) + 3, Qt::NoButton);
    EXPECT_EQ(m_slider->GetValue(), 5);
    EXPECT_EQ(Types(),
              (std::vector<std::string>{"movevaluechanged", "movevaluechanged", "valuechanged"}));
}

TEST_F(SliderTest, ClickOnTheTrackMovesThereAndReportsOnRelease) {
    QWidget* w = m_slider->GetWidget();
    Mouse(w, QEvent::MouseButtonPress, CentreOf(12), Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, CentreOf(12), Qt::NoButton);
    EXPECT_EQ(m_slider->GetValue(), 12);
    EXPECT_EQ(Types(), (std::vector<std::string>{"movevaluechanged", "valuechanged"}));

    // Pressing and releasing the thumb in place changes nothing and says nothing.
    m_window.m_notes.clear();
    Mouse(w, QEvent::MouseButtonPress, CentreOf(12) - 2, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, CentreOf(12) - 2, Qt::NoButton);
    EXPECT_TRUE(Types().empty());
}

TEST_F(SliderTest, ArrowKeysStepAndReportTheNewValue) {
    m_slider->SetChangeStep(2);
    m_slider->SetValue(17);
    TEventUI key;
    key.type = UIEventType::KeyDown;
    key.key = VKey::Right;
    m_slider->DoEvent(key);
    EXPECT_EQ(m_slider->GetValue(), 18);
    m_slider->DoEvent(key);  // already at the end: no change, no notification
    key.key = VKey::Left;
    m_slider->DoEvent(key);
    EXPECT_EQ(m_slider->GetValue(), 16);
    EXPECT_EQ(Types(), (std::vector<std::string>{"valuechanged", "valuechanged"}));
}

TEST_F(SliderTest, DisabledSliderIgnoresTheMouse) {
    m_slider->SetEnabled(false);
    QWidget* w = m_slider->GetWidget();
    Mouse(w, QEvent::MouseButtonPress, CentreOf(10), Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, CentreOf(10), Qt::NoButton);
    EXPECT_EQ(m_slider->GetValue(), 0);
    EXPECT_TRUE(Types().empty());
}

}  // namespace
