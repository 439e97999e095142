// Windows: notifications and pumps, language keys, control timers, the modal loop,
// closing, DPI and screenshots.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCloseEvent>
#include <QEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIWindowHost.h"

namespace {

constexpr const char* kLayout = R"(<Window size="200,100" caption="0,0,0,30">
    <VerticalLayout name="root" bkcolor="#FF16181D">
      <HorizontalLayout name="page" virtualwnd="page" height="40">
        <Button name="inpage" text="In page" width="80"/>
      </HorizontalLayout>
      <Button name="outside" text="Outside" height="30"/>
      <Button name="closebtn" width="20" height="20"/>
      <Label name="greeting" text="greeting_key" resourcetext="true"/>
    </VerticalLayout></Window>)";

void Click(CControlUI* control) {
    QWidget* w = control->GetWidget();
    const QPointF centre(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

class CPagePump : public CNotifyPump {
public:
    CPagePump() {
        AddNotifyHandler("click",
                         [this](TNotifyUI& msg) { clicks.push_back(msg.sender->GetName()); });
    }
    std::vector<std::string> clicks;
};

class WindowTest : public ::testing::Test {
protected:
    void Open(CTestWindow& w) {
        ASSERT_TRUE(w.Create(kNoWindow, "test", UIStyle::Visible, 0, 0, 0, 0, 0));
        ASSERT_TRUE(RunUntil([&] { return w.Count("windowinit") == 1; }));
    }
    CTempSkin m_skin;
};

TEST_F(WindowTest, ClicksReachNotifyAndTheVirtualWindowPump) {
    CTestWindow w(kLayout);
    CPagePump pump;
    w.AddVirtualWnd("page", &pump);
    Open(w);
    CPaintManagerUI& pm = w.GetPaintManager();
    EXPECT_EQ(pm.GetClientSize(), (UISize{200, 100}));
    Click(pm.FindControl("inpage"));
    Click(pm.FindControl("outside"));
    EXPECT_EQ(w.Count("click", "inpage"), 1);
    EXPECT_EQ(w.Count("click", "outside"), 1);
    EXPECT_EQ(pump.clicks, std::vector<std::string>{"inpage"});

    pm.SendNotify(pm.FindControl("outside"), "custom", 7, 9);  // synchronous
    ASSERT_FALSE(w.m_notes.empty());
    EXPECT_EQ(w.m_notes.back().type, "custom");
    EXPECT_EQ(w.m_notes.back().wParam, 7u);
}

TEST_F(WindowTest, ClickHandlerMayDeleteTheClickedControl) {
    struct CDeleting : CTestWindow {
        using CTestWindow::CTestWindow;
        void Notify(TNotifyUI& msg) override {
            CTestWindow::Notify(msg);
            if (msg.type == "click" && msg.sender->GetName() == "outside")
                dynamic_cast<CContainerUI*>(msg.sender->GetParent())->Remove(msg.sender);
        }
    } w(kLayout);
    Open(w);
    Click(w.GetPaintManager().FindControl("outside"));
    EXPECT_EQ(w.GetPaintManager().FindControl("outside"), nullptr);
    RunFor(20);  // the widget goes once the event is over
    EXPECT_EQ(w.Count("click", "outside"), 1);
}

TEST_F(WindowTest, AsyncNotificationOfADeletedControlIsDropped) {
    CTestWindow w(kLayout);
    Open(w);
    CPaintManagerUI& pm = w.GetPaintManager();
    auto* root = dynamic_cast<CContainerUI*>(pm.GetRoot());
    pm.SendNotify(pm.FindControl("outside"), "later", 0, 0, true);
    pm.SendNotify(pm.FindControl("inpage"), "later", 0, 0, true);
    root->Remove(pm.FindControl("outside"));
    RunFor(30);
    EXPECT_EQ(w.Count("later"), 1);
    EXPECT_EQ(w.Count("later", "inpage"), 1);
}

TEST_F(WindowTest, LanguageKeysShowAndReadBackTheirTextAndReload) {
    m_skin.Write("lang_en.xml", R"(<Language><Text key="greeting_key" value="Hello"/></Language>)");
    m_skin.Write(
        "lang_cn.xml",
        R"(<?xml version="1.0" encoding="UTF-8"?><Language><Text key="greeting_key" value="你好"/></Language>)");
    CResourceManager& res = CResourceManager::Instance();
    ASSERT_TRUE(res.LoadLanguage("lang_en.xml"));
    CTestWindow w(kLayout);
    Open(w);
    CControlUI* greeting = w.GetPaintManager().FindControl("greeting");
    EXPECT_EQ(greeting->GetText(), "Hello");
    EXPECT_EQ(greeting->GetRawText(), "greeting_key");
    ASSERT_TRUE(res.LoadLanguage("lang_cn.xml"));
    res.ReloadText();
    EXPECT_EQ(greeting->GetText(), "你好");
    EXPECT_EQ(greeting->GetWidget()->accessibleName(), QString::fromUtf8("你好"));

    struct CQuery : IQueryControlText {
        std::string QueryControlText(std::string_view key, std::string_view) override {
            return key == "asked" ? "answer" : "";
        }
    } query;
    res.SetTextQueryInterface(&query);
    EXPECT_EQ(res.GetText("asked"), "answer");
    EXPECT_EQ(res.GetText("unknown_key"), "unknown_key");
    res.SetTextQueryInterface(nullptr);
}

TEST_F(WindowTest, ControlTimersRepeatRestartAndDieWithTheirControl) {
    CTestWindow w(kLayout);
    Open(w);
    CPaintManagerUI& pm = w.GetPaintManager();
    CControlUI* target = pm.FindControl("outside");
    ASSERT_TRUE(pm.SetTimer(target, 7, 1));  // runs at 10 ms
    ASSERT_TRUE(RunUntil([&] { return w.Count("timer", "outside") >= 3; }));
    EXPECT_EQ(w.m_notes.back().wParam, 7u);
    EXPECT_TRUE(pm.KillTimer(target, 7));
    EXPECT_FALSE(pm.KillTimer(target, 7));
    const int ticks = w.Count("timer");
    RunFor(40);
    EXPECT_EQ(w.Count("timer"), ticks);

    ASSERT_TRUE(pm.SetTimer(target, 8, 10));
    ASSERT_TRUE(pm.SetTimer(target, 8, 10));  // restarts, no second timer
    dynamic_cast<CContainerUI*>(pm.GetRoot())->Remove(target);
    RunFor(40);
    EXPECT_EQ(w.Count("timer"), ticks);
}

TEST_F(WindowTest, ModalLoopReturnsHowTheWindowWasClosed) {
    struct Case {
        const char* how;
        std::function<void(CTestWindow&)> close;
        int expected;
    };
    const Case cases[] = {
        {"Close(42)", [](CTestWindow& w) { w.Close(42); }, 42},
        {"Esc",
         [](CTestWindow& w) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(w.GetPaintManager().GetHost(), &esc);
         },
         kIdCancel},
        {"window manager close",
         [](CTestWindow& w) {
             QCloseEvent event;
             QCoreApplication::sendEvent(w.GetPaintManager().GetHost(), &event);
         },
         0},
        {"closebtn", [](CTestWindow& w) { Click(w.GetPaintManager().FindControl("closebtn")); },
         kIdCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        CTestWindow w(kLayout);
        ASSERT_TRUE(w.Create(kNoWindow, "modal", 0, 0, 0, 0, 0, 0));
        QTimer::singleShot(0, [&] { c.close(w); });
        EXPECT_EQ(w.ShowModal(), c.expected);
        EXPECT_TRUE(w.m_destroyed);
        EXPECT_FALSE(w.IsVisible());
        EXPECT_NE(std::find(w.m_messages.begin(), w.m_messages.end(), Msg::Destroy),
                  w.m_messages.end());
    }
}

TEST_F(WindowTest, CloseCanBeRefusedByTheWindow) {
    struct CStubborn : CTestWindow {
        using CTestWindow::CTestWindow;
        LRESULT HandleCustomMessage(std::uint32_t msg, WPARAM w, LPARAM l, bool& handled) override {
            handled = msg == Msg::Close;
            return 0;
        }
    } w(kLayout);
    Open(w);
    w.Close(1);
    RunFor(20);
    EXPECT_TRUE(w.IsVisible());
    EXPECT_FALSE(w.m_destroyed);
}

TEST_F(WindowTest, SetDpiRescalesTheWindowAndScreenshotsArePng) {
    CTestWindow w(kLayout);
    Open(w);
    CPaintManagerUI& pm = w.GetPaintManager();
    pm.SetDPI(192);
    EXPECT_EQ(pm.GetClientSize(), (UISize{400, 200}));
    EXPECT_EQ(pm.FindControl("page")->GetPos().Height(), 80);
    const std::string file = m_skin.Path() + "shot.png";
    ASSERT_TRUE(w.SaveScreenshot(file));
    QImage shot(QString::fromStdString(file));
    EXPECT_EQ(shot.width(), 400);
    EXPECT_EQ(shot.pixelColor(5, 95), QColor(0x16, 0x18, 0x1d));  // root background
    CPaintManagerUI::SetAllDPI(96);
    EXPECT_EQ(pm.GetClientSize(), (UISize{200, 100}));
}

TEST_F(WindowTest, MissingSkinStillMakesAWindowThatInitialises) {
    CTestWindow w("no-such-layout.xml");
    Open(w);
    EXPECT_NE(w.GetPaintManager().GetRoot(), nullptr);
    EXPECT_EQ(w.GetPaintManager().FindControl("anything"), nullptr);
}

}  // namespace

namespace {

// The window learns of its activation and of the mouse coming and going through the
// activate, hover and leave messages.
TEST_F(WindowTest, ActivationAndTheMouseReachTheWindowAsMessages) {
    CTestWindow w("<Window size=\"200,100\"><VerticalLayout name=\"root\"/></Window>");
    Open(w);
    auto count = [&](std::uint32_t msg) {
        return std::count(w.m_messages.begin(), w.m_messages.end(), msg);
    };
    QWidget* host = w.GetPaintManager().GetRoot()->GetWidget()->window();
    host->activateWindow();
    EXPECT_TRUE(RunUntil([&] { return count(Msg::Activate) >= 1; }));

    const auto hovers = count(Msg::MouseHover);
    const auto leaves = count(Msg::MouseLeave);
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), host->mapToGlobal(QPointF(10, 10)));
    QCoreApplication::sendEvent(host, &enter);
    EXPECT_EQ(count(Msg::MouseHover), hovers + 1);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(host, &leave);
    EXPECT_EQ(count(Msg::MouseLeave), leaves + 1);
}

}  // namespace
