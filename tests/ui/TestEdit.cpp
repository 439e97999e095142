// Edits: focus notifications, typing, Return, length and number limits; rich edit tip.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

constexpr const char* kLayout = R"(<Window size="300,200">
    <VerticalLayout name="root">
      <Edit name="first" height="30"/>
      <Edit name="second" height="30" maxchar="6" numberonly="true" numberrange="10,65535"/>
      <Edit name="locked" height="30" readonly="true" text="fixed"/>
      <RichEdit name="notes" height="60" tipvalue="Type here"/>
    </VerticalLayout></Window>)";

template <class Field>
Field* FieldOf(CControlUI* control) {
    return control ? control->GetWidget()->findChild<Field*>() : nullptr;
}

void Type(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(field, &press);
    }
}

void PressKey(QWidget* field, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &press);
}

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_window.Create(kNoWindow, "edit", UIStyle::Visible, 0, 0, 0, 0, 0));
        ASSERT_TRUE(RunUntil([&] { return m_window.Count("windowinit") == 1; }));
        QWidget* host = m_window.GetPaintManager().GetRoot()->GetWidget()->window();
        host->activateWindow();
        ASSERT_TRUE(RunUntil([&] { return QApplication::activeWindow() == host; }));
        m_first = Find<CEditUI>("first");
        m_second = Find<CEditUI>("second");
        ASSERT_TRUE(m_first && m_second);
    }
    template <class T>
    T* Find(const char* name) {
        return dynamic_cast<T*>(m_window.GetPaintManager().FindControl(name));
    }

    CTempSkin m_skin;
    CTestWindow m_window{kLayout};
    CEditUI* m_first = nullptr;
    CEditUI* m_second = nullptr;
};

// "setfocus" on some edits starts a global key capture: an opening window must not
// put the focus into its first edit by itself.
TEST_F(EditTest, ActivatingTheWindowFocusesNoEdit) {
    RunFor(20);
    EXPECT_EQ(m_window.Count("setfocus"), 0);
    EXPECT_EQ(m_window.GetPaintManager().GetFocus(), nullptr);
}

TEST_F(EditTest, FocusMovingAwaySendsKillFocusToTheEditItLeaves) {
    m_first->SetFocus();
    ASSERT_TRUE(RunUntil([&] { return m_window.Count("setfocus", "first") == 1; }));
    EXPECT_EQ(m_window.GetPaintManager().GetFocus(), m_first);

    m_second->SetFocus();
    ASSERT_TRUE(RunUntil([&] { return m_window.Count("setfocus", "second") == 1; }));
    EXPECT_EQ(m_window.Count("killfocus", "first"), 1);
    EXPECT_EQ(m_window.Count("killfocus", "second"), 0);
    EXPECT_EQ(m_window.GetPaintManager().GetFocus(), m_second);
}

TEST_F(EditTest, OnlyTypingSendsTextChangedAndReturnIsReported) {
    m_first->SetText("set by code");
    EXPECT_EQ(m_first->GetText(), "set by code");
    EXPECT_EQ(m_window.Count("textchanged"), 0);

    QLineEdit* field = FieldOf<QLineEdit>(m_first);
    ASSERT_NE(field, nullptr);
    field->clear();
    Type(field, "ab");
    EXPECT_EQ(m_first->GetText(), "ab");
    EXPECT_EQ(m_window.Count("textchanged", "first"), 2);

    PressKey(field, Qt::Key_Return);
    PressKey(field, Qt::Key_Enter);
    EXPECT_EQ(m_window.Count("return", "first"), 2);
}

TEST_F(EditTest, NumberFieldRefusesLettersLongTextAndValuesAboveItsRange) {
    QLineEdit* field = FieldOf<QLineEdit>(m_second);
    ASSERT_NE(field, nullptr);
    struct Case {
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {"12a3", "123"},        // letters refused
        {"1234567", "12345"},   // 123456 is above the range
        {"65535", "65535"},     // the maximum itself
        {"0000123", "000012"},  // six characters at most
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        field->clear();
        Type(field, c.typed);
        EXPECT_EQ(m_second->GetText(), c.kept);
    }
}

TEST_F(EditTest, NumberBelowTheRangeIsRaisedBeforeKillFocus) {
    std::string seenOnKillFocus;
    struct CWatch : INotifyUI {
        std::string* seen;
        CEditUI* edit;
        void Notify(TNotifyUI& msg) override {
            if (msg.type == "killfocus" && msg.sender == edit) *seen = edit->GetText();
        }
    } watch;
    watch.seen = &seenOnKillFocus;
    watch.edit = m_second;
    m_window.GetPaintManager().AddNotifier(&watch);

    m_second->SetFocus();
    ASSERT_TRUE(RunUntil([&] { return m_window.Count("setfocus", "second") == 1; }));
    Type(FieldOf<QLineEdit>(m_second), "3");
    m_first->SetFocus();
    ASSERT_TRUE(RunUntil([&] { return m_window.Count("killfocus", "second") == 1; }));
    EXPECT_EQ(seenOnKillFocus, "10");
    m_window.GetPaintManager().RemoveNotifier(&watch);
}

TEST_F(EditTest, ReadOnlyEditKeepsItsText) {
    auto* locked = Find<CEditUI>("locked");
    ASSERT_NE(locked, nullptr);
    EXPECT_TRUE(locked->IsReadOnly());
    Type(FieldOf<QLineEdit>(locked), "x");
    EXPECT_EQ(locked->GetText(), "fixed");
    EXPECT_EQ(m_window.Count("textchanged"), 0);
}

TEST_F(EditTest, RichEditShowsItsTipWhileEmptyAndReportsTyping) {
    auto* notes = Find<CRichEditUI>("notes");
    auto* field = FieldOf<QPlainTextEdit>(notes);
    ASSERT_TRUE(notes && field);
    EXPECT_EQ(field->placeholderText(), "Type here");
    notes->SetText("line");
    EXPECT_EQ(notes->GetText(), "line");
    EXPECT_EQ(m_window.Count("textchanged"), 0);
    Type(field, "s");
    EXPECT_EQ(m_window.Count("textchanged", "notes"), 1);
}

}  // namespace
