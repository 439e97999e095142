// The layout engine's geometry, tab layouts, ownership of children and the DPI zoom.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

// A manager without a window lays its tree out at the <Window> size.
class LayoutTest : public ::testing::Test {
protected:
    CControlUI* Build(const std::string& xml) {
        m_pm.AttachDialog(CDialogBuilder().Create(xml, {}, nullptr, &m_pm));
        return m_pm.GetRoot();
    }
    UIRect PosOf(const char* name) const {
        CControlUI* c = m_pm.FindControl(name);
        return c ? c->GetPos() : UIRect{-1, -1, -1, -1};
    }
    CPaintManagerUI m_pm;
};

constexpr const char* kVerticalFixture = R"(<Window size="200,200">
    <VerticalLayout inset="10,10,10,10" childpadding="5">
      <Control name="a" height="20"/>
      <Control name="b"/>
      <Control name="c" height="30" padding="4,6,8,2"/>
      <Control name="hidden" height="50" visible="false"/>
      <Control name="d"/>
    </VerticalLayout></Window>)";

TEST_F(LayoutTest, VerticalFixedAutoPaddingAndChildPadding) {
    Build(kVerticalFixture);
    // Inner area 10..190; fixed 20 + 30 + padding 8 + 3 gaps of 5 leave 107 for b and d.
    EXPECT_EQ(PosOf("a"), (UIRect{10, 10, 190, 30}));
    EXPECT_EQ(PosOf("b"), (UIRect{10, 35, 190, 88}));
    EXPECT_EQ(PosOf("c"), (UIRect{14, 99, 182, 129}));
    EXPECT_EQ(PosOf("d"), (UIRect{10, 136, 190, 190}));  // the last share takes the odd pixel
}

TEST_F(LayoutTest, HorizontalMinMaxFloatAndAlignment) {
    Build(R"(<Window size="300,50"><HorizontalLayout childpadding="10" childvalign="vcenter">
        <Control name="a" width="50"/>
        <Control name="b" maxwidth="40"/>
        <Control name="c" height="20"/>
        <Control name="f" float="true" pos="5,6,25,16"/>
      </HorizontalLayout></Window>)");
    // b's share (115) exceeds its maximum; the rest goes to c.
    EXPECT_EQ(PosOf("a"), (UIRect{0, 0, 50, 50}));
    EXPECT_EQ(PosOf("b"), (UIRect{60, 0, 100, 50}));
    EXPECT_EQ(PosOf("c"), (UIRect{110, 15, 300, 35}));
    EXPECT_EQ(PosOf("f"), (UIRect{5, 6, 25, 16}));
}

TEST_F(LayoutTest, MinimumWinsOverTheShare) {
    Build(R"(<Window size="100,100"><VerticalLayout>
        <Control name="a" minheight="70"/><Control name="b"/></VerticalLayout></Window>)");
    EXPECT_EQ(PosOf("a"), (UIRect{0, 0, 100, 70}));
    EXPECT_EQ(PosOf("b"), (UIRect{0, 70, 100, 100}));
}

TEST_F(LayoutTest, TabLayoutShowsOnlyTheSelectedChild) {
    Build(R"(<Window size="100,60"><TabLayout name="tabs" selectedid="1" inset="2,2,2,2">
        <Control name="t0"/><Control name="t1"/><Control name="t2"/></TabLayout></Window>)");
    auto* tabs = dynamic_cast<CTabLayoutUI*>(m_pm.FindControl("tabs"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(m_pm.FindControl("t0")->IsVisible());
    EXPECT_TRUE(m_pm.FindControl("t1")->IsVisible());
    EXPECT_TRUE(tabs->SelectItem(2));
    m_pm.UpdateLayout();
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_FALSE(m_pm.FindControl("t1")->IsVisible());
    EXPECT_EQ(PosOf("t2"), (UIRect{2, 2, 98, 58}));
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_TRUE(tabs->Remove(m_pm.FindControl("t0")));  // before the selection
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(tabs->GetItemAt(1)->GetName(), "t2");
}

TEST_F(LayoutTest, ContainersOwnTheirChildren) {
    struct CCounted : CControlUI {
        explicit CCounted(int& deaths) : m_deaths(deaths) {}
        ~CCounted() override { ++m_deaths; }
        int& m_deaths;
    };
    int deaths = 0;
    CVerticalLayoutUI box;
    CControlUI* first = box.Add(std::make_unique<CCounted>(deaths));
    CControlUI* second = box.AddAt(std::make_unique<CCounted>(deaths), 0);
    EXPECT_EQ(box.Add(nullptr), nullptr);
    EXPECT_EQ(box.GetItemIndex(second), 0);
    EXPECT_TRUE(box.SetItemIndex(second, 1));
    EXPECT_EQ(box.GetItemAt(0), first);
    std::unique_ptr<CControlUI> detached = box.Detach(first);
    EXPECT_EQ(detached.get(), first);
    EXPECT_EQ(first->GetParent(), nullptr);
    EXPECT_TRUE(box.Remove(second));
    EXPECT_EQ(deaths, 1);
    EXPECT_FALSE(box.Remove(second));
    EXPECT_EQ(box.GetItemAt(5), nullptr);
    detached.reset();
    EXPECT_EQ(deaths, 2);
}

TEST_F(LayoutTest, DpiZoomScalesSizesPaddingsAndTheClientArea) {
    m_pm.SetDPI(144);
    Build(kVerticalFixture);
    EXPECT_EQ(m_pm.GetClientSize(), (UISize{300, 300}));
    EXPECT_EQ(PosOf("a"), (UIRect{15, 15, 285, 45}));
    EXPECT_EQ(m_pm.FindControl("c")->GetPos().Height(), 45);
    m_pm.SetDPI(96);
    EXPECT_EQ(PosOf("a"), (UIRect{10, 10, 190, 30}));
}

TEST_F(LayoutTest, WidgetsCarryNamesAndAccessibleTexts) {
    Build(
        R"(<VerticalLayout><Button name="ok" text="Confirm"/><Button name="icon" tooltip="Settings"/></VerticalLayout>)");
    const QWidget* ok = m_pm.FindControl("ok")->GetWidget();
    EXPECT_EQ(ok->objectName(), "ok");
    EXPECT_EQ(ok->accessibleDescription(), "ok");
    EXPECT_EQ(ok->accessibleName(), "Confirm");
    EXPECT_EQ(m_pm.FindControl("icon")->GetWidget()->accessibleName(), "Settings");
}

}  // namespace

namespace {

TEST(FontTable, WindowFontsComeBeforeSharedOnesAndRemoveAllClearsBoth) {
    CPaintManagerUI first;
    CPaintManagerUI second;
    first.AddFont(1, "Shared Face", 14, false, true, false, true);
    second.AddFont(1, "Own Face", 20, true, false, false);
    first.SetDefaultFont("Default Face", 15, false, false, false, true);
    ASSERT_NE(first.GetFontInfo(1), nullptr);
    EXPECT_EQ(first.GetFontInfo(1)->face, "Shared Face");
    EXPECT_TRUE(first.GetFontInfo(1)->underline);
    EXPECT_EQ(second.GetFontInfo(1)->face, "Own Face");
    EXPECT_EQ(second.GetDefaultFontInfo().face, "Default Face");
    EXPECT_EQ(first.GetFontInfo(2), nullptr);
    second.RemoveAllFonts();
    EXPECT_EQ(first.GetFontInfo(1), nullptr);
    EXPECT_EQ(second.GetFontInfo(1), nullptr);
    EXPECT_NE(first.GetDefaultFontInfo().face, "Default Face");
}

}  // namespace
