// Options and check boxes: groups, silent setters, user clicks.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

// "b" and "c" are both marked selected in the layout: the later one wins.
constexpr const char* kLayout = R"(<Window size="300,200">
    <VerticalLayout name="root">
      <Option name="a" group="tabs" text="A" height="24"/>
      <Option name="b" group="tabs" text="B" height="24" selected="true"/>
      <Option name="c" group="tabs" text="C" height="24" selected="true"/>
      <Option name="loose" text="Loose" height="24"/>
      <CheckBox name="check" text="Check" height="24"/>
      <Option name="other" group="other" text="Other" height="24" selected="true"/>
    </VerticalLayout></Window>)";

void Click(CControlUI* control) {
    QWidget* w = control->GetWidget();
    const QPointF centre(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, centre, w->mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, w->mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

class OptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_window.Create(kNoWindow, "option", UIStyle::Visible, 0, 0, 0, 0, 0));
        ASSERT_TRUE(RunUntil([&] { return m_window.Count("windowinit") == 1; }));
        m_window.m_notes.clear();
    }
    COptionUI* Opt(const char* name) {
        return dynamic_cast<COptionUI*>(m_window.GetPaintManager().FindControl(name));
    }
    // Which of a, b, c are selected, as a string like "-b-".
    std::string Tabs() {
        std::string s;
        for (const char* name : {"a", "b", "c"}) s += Opt(name)->IsSelected() ? name : "-";
        return s;
    }

    CTempSkin m_skin;
    CTestWindow m_window{kLayout};
};

TEST_F(OptionTest, LayoutSelectionKeepsOneOptionPerGroup) {
    EXPECT_EQ(Tabs(), "--c");
    EXPECT_TRUE(Opt("other")->IsSelected());  // another group is untouched
}

TEST_F(OptionTest, SelectingInAGroupDeselectsTheOthersAndNotifiesOnlyWhenAsked) {
    Opt("a")->Selected(true);
    EXPECT_EQ(Tabs(), "a--");
    EXPECT_EQ(m_window.Count("selectchanged"), 0);

    Opt("b")->Selected(true, true);
    EXPECT_EQ(Tabs(), "-b-");
    // One notification, from the option chosen; the one that lost its mark is quiet.
    EXPECT_EQ(m_window.Count("selectchanged"), 1);
    EXPECT_EQ(m_window.Count("selectchanged", "b"), 1);
    EXPECT_TRUE(Opt("other")->IsSelected());
}

TEST_F(OptionTest, UserClickSelectsInAGroupAndTogglesWithout) {
    Click(Opt("a"));
    EXPECT_EQ(Tabs(), "a--");
    EXPECT_EQ(m_window.Count("click", "a"), 1);
    EXPECT_EQ(m_window.Count("selectchanged", "a"), 1);

    Click(Opt("a"));  // already selected in its group: stays, says nothing new
    EXPECT_EQ(Tabs(), "a--");
    EXPECT_EQ(m_window.Count("selectchanged"), 1);

    auto* check = dynamic_cast<CCheckBoxUI*>(Opt("check"));
    ASSERT_NE(check, nullptr);
    Click(check);
    EXPECT_TRUE(check->GetCheck());
    Click(check);
    EXPECT_FALSE(check->GetCheck());
    EXPECT_EQ(m_window.Count("selectchanged", "check"), 2);

    check->SetCheck(true);
    EXPECT_TRUE(check->GetCheck());
    EXPECT_EQ(m_window.Count("selectchanged", "check"), 2);
}

TEST_F(OptionTest, GroupGivenAtRunTimeJoinsIt) {
    Opt("loose")->SetGroup("tabs");
    Opt("loose")->Selected(true);
    EXPECT_EQ(Tabs(), "---");
    Opt("a")->Selected(true);
    EXPECT_FALSE(Opt("loose")->IsSelected());
}

TEST_F(OptionTest, RemovedOptionLeavesItsGroup) {
    auto* root = dynamic_cast<CContainerUI*>(m_window.GetPaintManager().GetRoot());
    ASSERT_TRUE(root->Remove(Opt("c")));
    Opt("a")->Selected(true, true);  // walks the group: must not reach the deleted option
    EXPECT_EQ(m_window.Count("selectchanged", "a"), 1);
    EXPECT_FALSE(Opt("b")->IsSelected());
}

TEST_F(OptionTest, DisabledOptionIgnoresClicks) {
    Opt("a")->SetEnabled(false);
    Click(Opt("a"));
    EXPECT_FALSE(Opt("a")->IsSelected());
    EXPECT_TRUE(m_window.m_notes.empty());
}

}  // namespace
