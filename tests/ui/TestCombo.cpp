// Combos: silent selection, hidden items, user data, picks from the drop list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

// Item "b" is hidden, as the program hides categories a device lacks; each row of the
// drop list is 20 px high, below a 1 px border.
constexpr const char* kLayout = R"(<Window size="300,200">
    <VerticalLayout name="root">
      <Combo name="mode" height="26" itemheight="20">
        <ListLabelElement name="ia" text="Alpha" userdata="10"/>
        <ListLabelElement name="ib" text="Beta" userdata="11" visible="false"/>
        <ListLabelElement name="ic" text="Gamma" userdata="12"/>
        <ListLabelElement name="id" text="lang_key" resourcetext="true" userdata="13"/>
      </Combo>
      <Control/>
    </VerticalLayout></Window>)";

QWidget* DropListOf(CComboUI* combo) {
    return combo->GetWidget()->findChild<QWidget*>(QStringLiteral("ComboDropList"));
}

void ClickAt(QWidget* w, QPoint local) {
    QMouseEvent press(QEvent::MouseButtonPress, local, w->mapToGlobal(QPointF(local)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, w->mapToGlobal(QPointF(local)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceManager::Instance().AddText("lang_key", "Delta");
        ASSERT_TRUE(m_window.Create(kNoWindow, "combo", UIStyle::Visible, 0, 0, 0, 0, 0));
        ASSERT_TRUE(RunUntil([&] { return m_window.Count("windowinit") == 1; }));
        m_combo = dynamic_cast<CComboUI*>(m_window.GetPaintManager().FindControl("mode"));
        ASSERT_NE(m_combo, nullptr);
        ASSERT_EQ(m_combo->GetCount(), 4);
    }

    CTempSkin m_skin;
    CTestWindow m_window{kLayout};
    CComboUI* m_combo = nullptr;
};

TEST_F(ComboTest, SelectItemIsSilentUnlessAskedAndRepeatsSayNothing) {
    EXPECT_EQ(m_combo->GetCurSel(), -1);
    EXPECT_TRUE(m_combo->SelectItem(2));
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    EXPECT_EQ(m_combo->GetText(), "Gamma");
    EXPECT_EQ(m_window.Count("itemselect"), 0);

    EXPECT_TRUE(m_combo->SelectItem(2, false, true));  // no change
    EXPECT_EQ(m_window.Count("itemselect"), 0);
    EXPECT_TRUE(m_combo->SelectItem(0, false, true));
    ASSERT_EQ(m_window.Count("itemselect", "mode"), 1);
    EXPECT_EQ(m_window.m_notes.back().wParam, 0u);

    EXPECT_FALSE(m_combo->SelectItem(4));
    EXPECT_EQ(m_combo->GetCurSel(), 0);
}

TEST_F(ComboTest, HiddenItemsKeepTheirIndexAndUserDataFindsItems) {
    EXPECT_FALSE(m_combo->GetItemAt(1)->IsVisible());
    EXPECT_EQ(m_combo->GetItemAt(2)->GetText(), "Gamma");
    EXPECT_EQ(m_combo->FindItemByUserData("12"), 2);
    EXPECT_EQ(m_combo->FindItemByUserData("11"), 1);
    EXPECT_EQ(m_combo->FindItemByUserData("99"), -1);
    m_combo->SelectItem(3);
    EXPECT_EQ(m_combo->GetText(), "Delta");  // the language text of the item's key
}

TEST_F(ComboTest, PickFromTheDropListSkipsHiddenRowsAndNotifies) {
    m_combo->SelectItem(0);
    m_combo->ShowDropList();
    QWidget* list = DropListOf(m_combo);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());
    EXPECT_TRUE(m_combo->IsDropped());
    ClickAt(list, QPoint(20, 1 + 20 + 10));  // the second row shown: "Gamma"
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    ASSERT_EQ(m_window.Count("itemselect", "mode"), 1);
    EXPECT_EQ(m_window.m_notes.back().wParam, 2u);
}

TEST_F(ComboTest, KeyboardInTheDropListMovesOverHiddenRows) {
    m_combo->SelectItem(0);
    m_combo->ShowDropList();
    QWidget* list = DropListOf(m_combo);
    ASSERT_NE(list, nullptr);
    for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &press);
    }
    EXPECT_EQ(m_combo->GetCurSel(), 3);
    EXPECT_EQ(m_window.Count("itemselect", "mode"), 1);
}

TEST_F(ComboTest, RemovingItemsKeepsTheSelectionOnTheSameItem) {
    struct Case {
        int selected;
        int removed;
        int expected;
    };
    for (const Case c : {Case{2, 0, 1}, Case{2, 2, -1}, Case{0, 3, 0}}) {
        SCOPED_TRACE(c.removed);
        CTestWindow window(kLayout);
        ASSERT_TRUE(window.Create(kNoWindow, "combo", UIStyle::Visible, 0, 0, 0, 0, 0));
        auto* combo = dynamic_cast<CComboUI*>(window.GetPaintManager().FindControl("mode"));
        combo->SelectItem(c.selected);
        ASSERT_TRUE(combo->RemoveAt(c.removed));
        EXPECT_EQ(combo->GetCurSel(), c.expected);
        EXPECT_EQ(window.Count("itemselect"), 0);
    }
    m_combo->SelectItem(1);
    m_combo->RemoveAll();
    EXPECT_EQ(m_combo->GetCurSel(), -1);
    EXPECT_EQ(m_combo->GetText(), "");
}

TEST_F(ComboTest, ItemsAddedByCodeAreSelectable) {
    auto item = std::make_unique<CListLabelElementUI>();
    item->SetText("Epsilon");
    item->SetUserData("14");
    CControlUI* added = m_combo->AddAt(std::move(item), 0);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(m_combo->FindItemByUserData("14"), 0);
    EXPECT_EQ(m_combo->FindItemByUserData("12"), 3);
    m_combo->SelectItem(m_combo->FindItemByUserData("12"));
    EXPECT_EQ(m_combo->GetText(), "Gamma");
}

}  // namespace
