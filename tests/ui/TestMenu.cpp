// Menus: a chosen item reaches the owner as message 1145 with its record; placement,
// closing and replacement.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

#include "UiTestSupport.h"

namespace {

// Rows: a 1 px border and 4 px inset, "about_menu" 24 px, a 9 px separator, then "exit".
constexpr const char* kMenu = R"(<Menu width="160" itemheight="24">
    <MenuElement name="about_menu" text="About" userdata="a"/>
    <MenuElement line="true"/>
    <MenuElement name="exit" text="menu_exit" resourcetext="true" userdata="x"/>
  </Menu>)";
constexpr int kExitRowY = 1 + 4 + 24 + 9 + 12;
constexpr int kMenuHeight = 1 + 4 + 24 + 9 + 24 + 4 + 1;

struct CRecordingTarget : IMessageTarget {
    struct Message {
        std::uint32_t msg;
        WPARAM wParam;
    };
    LRESULT HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM, bool& handled) override {
        messages.push_back({msg, wParam});
        handled = true;
        return 0;
    }
    std::vector<Message> messages;
};

// The open menu's widget: the only visible pop-up.
QWidget* OpenMenuWidget() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "MenuWnd" && w->isVisible()) return w;
    return nullptr;
}

void MouseAt(QWidget* w, QEvent::Type type, QPoint local) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, local, w->mapToGlobal(QPointF(local)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceManager::Instance().AddText("menu_exit", "Exit");
        m_owner = RegisterMessageTarget(&m_target);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        m_centre = {screen.center().x(), screen.center().y()};
    }
    void TearDown() override { UnregisterMessageTarget(m_owner); }

    CTempSkin m_skin;
    CRecordingTarget m_target;
    WindowHandle m_owner = kNoWindow;
    UIPoint m_centre;
};

TEST_F(MenuTest, ChoosingAnItemPostsItsRecordToTheOwner) {
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(m_owner, kMenu, m_centre, MenuAlign::Right | MenuAlign::Bottom));
    ASSERT_TRUE(menu.IsOpen());
    ASSERT_NE(menu.FindItem("exit"), nullptr);
    menu.FindItem("exit")->SetUserData("quit");  // changed after opening

    QWidget* popup = OpenMenuWidget();
    ASSERT_NE(popup, nullptr);
    MouseAt(popup, QEvent::MouseButtonPress, {40, kExitRowY});
    MouseAt(popup, QEvent::MouseButtonRelease, {40, kExitRowY});
    EXPECT_FALSE(menu.IsOpen());
    ASSERT_TRUE(RunUntil([&] { return !m_target.messages.empty(); }));
    ASSERT_EQ(m_target.messages.size(), 1u);
    EXPECT_EQ(m_target.messages[0].msg, kMenuCommandMessage);

    const std::unique_ptr<MenuCmd> cmd = TakeMenuCmd(m_target.messages[0].wParam);
    ASSERT_NE(cmd, nullptr);
    EXPECT_EQ(cmd->name, "exit");
    EXPECT_EQ(cmd->userData, "quit");
    EXPECT_EQ(cmd->text, "Exit");
    EXPECT_EQ(TakeMenuCmd(m_target.messages[0].wParam), nullptr);  // taken once
}

TEST_F(MenuTest, SeparatorsAndDisabledItemsAreNotChosen) {
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(m_owner, kMenu, m_centre, 0));
    menu.FindItem("exit")->SetEnabled(false);
    QWidget* popup = OpenMenuWidget();
    ASSERT_NE(popup, nullptr);
    for (int y : {1 + 4 + 24 + 4, kExitRowY}) MouseAt(popup, QEvent::MouseButtonRelease, {40, y});
    RunFor(20);
    EXPECT_TRUE(m_target.messages.empty());
    EXPECT_TRUE(menu.IsOpen());
}

TEST_F(MenuTest, AlignmentBitsPutTheMenuOnTheirSideOfThePoint) {
    struct Case {
        int align;
        int left;  // expected offsets of the menu's top-left corner from the point
        int top;
    };
    const Case cases[] = {
        {MenuAlign::Right | MenuAlign::Bottom, 0, 0},
        {MenuAlign::Left | MenuAlign::Top, -160, -kMenuHeight},
        {MenuAlign::Top | MenuAlign::Right, 0, -kMenuHeight},
        {MenuAlign::Left | MenuAlign::Bottom, -160, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        CMenuWnd menu;
        ASSERT_TRUE(menu.Init(m_owner, kMenu, m_centre, c.align));
        const QRect placed = OpenMenuWidget()->geometry();
        EXPECT_EQ(placed.size(), QSize(160, kMenuHeight));
        EXPECT_EQ(placed.topLeft(), QPoint(m_centre.x + c.left, m_centre.y + c.top));
    }
}

TEST_F(MenuTest, MenuStaysOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(m_owner, kMenu, {screen.right() - 5, screen.bottom() - 5},
                          MenuAlign::Right | MenuAlign::Bottom));
    EXPECT_TRUE(screen.contains(OpenMenuWidget()->geometry()));
}

TEST_F(MenuTest, OutsideClickClosesAndOpeningAnotherReplacesTheFirst) {
    CMenuWnd first;
    ASSERT_TRUE(first.Init(m_owner, kMenu, m_centre, 0));
    MouseAt(OpenMenuWidget(), QEvent::MouseButtonPress, {-10, -10});
    EXPECT_FALSE(first.IsOpen());

    ASSERT_TRUE(first.Init(m_owner, kMenu, m_centre, 0));
    CMenuWnd second;
    ASSERT_TRUE(second.Init(m_owner, kMenu, m_centre, 0));
    EXPECT_FALSE(first.IsOpen());
    EXPECT_TRUE(second.IsOpen());
}

TEST_F(MenuTest, LayoutWithoutAMenuGivesNone) {
    CMenuWnd menu;
    EXPECT_FALSE(menu.Init(m_owner, "<VerticalLayout/>", m_centre, 0));
    EXPECT_FALSE(menu.IsOpen());
    EXPECT_EQ(menu.FindItem("exit"), nullptr);
}

TEST_F(MenuTest, RecordForAWindowThatIsGoneIsFreed) {
    UnregisterMessageTarget(m_owner);
    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(m_owner, kMenu, m_centre, 0));
    MouseAt(OpenMenuWidget(), QEvent::MouseButtonRelease, {40, kExitRowY});
    EXPECT_FALSE(menu.IsOpen());
    RunFor(10);
    EXPECT_TRUE(m_target.messages.empty());  // LeakSanitizer sees the record freed
}

}  // namespace
