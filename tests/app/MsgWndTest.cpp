// The message box as a user meets it: the shipped skin, real clicks and keys sent to
// the open box from inside its modal loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/MsgWnd.h"
#include "ui/UILib.h"

namespace {

QWidget* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "MsgWnd" && w->isVisible()) return w;
    return nullptr;
}

QWidget* Part(QWidget& box, const char* name) {
    return box.findChild<QWidget*>(name);
}

void Click(QWidget* w) {
    ASSERT_NE(w, nullptr);
    const QPointF centre(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

// Runs `act` on the box once it is shown. A box that never shows ends the modal loop
// after a deadline, so a broken box fails the test instead of hanging it.
void WhenShown(std::function<void(QWidget&)> act) {
    auto* poll = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, started, act = std::move(act)] {
        if (QWidget* box = OpenBox()) {
            poll->deleteLater();
            poll->stop();
            act(*box);
        } else if (started->elapsed() > 3000) {
            poll->deleteLater();
            poll->stop();
            ADD_FAILURE() << "the message box never showed";
            QCoreApplication::exit(-1);
        }
    });
    poll->start(5);
}

// A plain window to own the box and to watch the all-windows DPI.
class COwnerWnd : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "OwnerWnd"; }
    std::string GetSkinFile() override {
        return R"(<Window size="300,200"><VerticalLayout name="root"/></Window>)";
    }
};

class MsgWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceManager& resources = CResourceManager::Instance();
        resources.SetResourcePath(ProgramFolder() + "skin/");
        ASSERT_TRUE(resources.LoadResource("res.xml"));
        ASSERT_TRUE(resources.LoadLanguage("lan_en.xml"));
        SetDebugSink([this](std::string_view line) {
            const std::lock_guard lock(m_mutex);
            m_lines.emplace_back(line);
        });
    }
    void TearDown() override {
        SetDebugSink({});
        CResourceManager::Instance().Release();
    }
    int Lines(const std::string& text) {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), text));
    }

    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

TEST_F(MsgWndTest, OnlyTheConfirmButtonConfirms) {
    struct Case {
        const char* how;
        int mode;
        std::function<void(QWidget&)> end;
        int expected;
    };
    const auto key = [](Qt::Key k) {
        return [k](QWidget& box) {
            QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
            QCoreApplication::sendEvent(&box, &press);
        };
    };
    const auto click = [](const char* name) {
        return [name](QWidget& box) { Click(Part(box, name)); };
    };
    const Case cases[] = {
        {"confirm", kMsgConfirmCancel, click("confirm_btn"), 1},
        {"cancel", kMsgConfirmCancel, click("cancel_btn"), 0},
        {"close button", kMsgConfirmCancel, click("closebtn"), 0},
        {"Esc", kMsgConfirmCancel, key(Qt::Key_Escape), 0},
        {"window manager close", kMsgConfirmCancel,
         [](QWidget& box) {
             QCloseEvent close;
             QCoreApplication::sendEvent(&box, &close);
         },
         0},
        {"confirm, confirm only", kMsgConfirmOnly, click("confirm_btn"), 1},
        {"close button, confirm only", kMsgConfirmOnly, click("closebtn"), 0},
        {"Esc, confirm only", kMsgConfirmOnly, key(Qt::Key_Escape), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        bool cancelShown = false;
        bool confirmShown = false;
        WhenShown([&](QWidget& box) {
            confirmShown = Part(box, "confirm_btn")->isVisible();
            cancelShown = Part(box, "cancel_btn")->isVisible();
            c.end(box);
        });
        EXPECT_EQ(ShowMessageBox(kNoWindow, "", "message_text_22", 96, true, c.mode), c.expected);
        EXPECT_TRUE(confirmShown);
        EXPECT_EQ(cancelShown, c.mode == kMsgConfirmCancel);
        EXPECT_EQ(OpenBox(), nullptr);
    }
}

TEST_F(MsgWndTest, TextsAreKeysOnlyWhenAskedAndEmptyOnesKeepTheLayout) {
    struct Case {
        const char* title;
        const char* text;
        bool languageKey;
        const char* shownTitle;
        const char* shownText;
    };
    for (const Case c : {
             Case{"", "message_text_4", true, "Notice", "Delete this macro?"},
             Case{"Macros", "message_text_4", false, "Macros", "message_text_4"},
             Case{"", "", true, "Notice", ""},
         }) {
        SCOPED_TRACE(c.text);
        std::string title;
        std::string text;
        WhenShown([&](QWidget& box) {
            title = Part(box, "MessageTitle")->accessibleName().toStdString();
            text = Part(box, "MessageText")->accessibleName().toStdString();
            Click(Part(box, "cancel_btn"));
        });
        EXPECT_EQ(ShowMessageBox(kNoWindow, c.title, c.text, 96, c.languageKey, kMsgConfirmCancel),
                  0);
        EXPECT_EQ(title, c.shownTitle);
        EXPECT_EQ(text, c.shownText);
    }
}

TEST_F(MsgWndTest, DpiChangesEveryWindowOnlyWhenItDiffers) {
    struct Case {
        int asked;
        int ownerAfter;  // the owner starts at 144
        int errorLines;
    };
    for (const Case c : {Case{96, 144, 0}, Case{100, 96, 1}, Case{120, 120, 0}}) {
        SCOPED_TRACE(c.asked);
        COwnerWnd owner;
        ASSERT_TRUE(owner.Create(kNoWindow, "owner", UIStyle::Visible, 0));
        owner.GetPaintManager().SetDPI(144);
        const int before = Lines("MSG_WND DPI SET ERROR");
        WhenShown([](QWidget& box) { Click(Part(box, "confirm_btn")); });
        EXPECT_EQ(
            ShowMessageBox(owner.GetHWND(), "", "message_text_5", c.asked, true, kMsgConfirmOnly),
            1);
        EXPECT_EQ(owner.GetPaintManager().GetDPI(), c.ownerAfter);
        EXPECT_EQ(Lines("MSG_WND DPI SET ERROR") - before, c.errorLines);
    }
}

TEST(SubstituteFirstNumberTest, OnlyTheFirstPlaceholderTakesTheNumber) {
    struct Case {
        const char* text;
        int number;
        const char* expected;
    };
    for (const Case c : {Case{"Too big: %s by %d %d", 16, "Too big: %s by 16 %d"},
                         Case{"Over by %d events", -3, "Over by -3 events"},
                         Case{"%s%n no placeholder", 7, "%s%n no placeholder"}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SubstituteFirstNumber(c.text, c.number), c.expected);
    }
}

// A language text is never a format: conversions it holds are shown as written.
TEST_F(MsgWndTest, NumberMessageShowsALanguageTextLiterally) {
    CResourceManager::Instance().AddText("message_text_16", "Over by %d bytes %s%n %d");
    std::string text;
    WhenShown([&](QWidget& box) {
        text = Part(box, "MessageText")->accessibleName().toStdString();
        EXPECT_FALSE(Part(box, "cancel_btn")->isVisible());
        Click(Part(box, "confirm_btn"));
    });
    EXPECT_EQ(ShowNumberMessageBox(kNoWindow, "message_text_16", 16, 96), 1);
    EXPECT_EQ(text, "Over by 16 bytes %s%n %d");
}

}  // namespace
