// Lists: selection, row notifications, container rows, keys and scrolling.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "UiTestSupport.h"
#include "ui/UIControlPrivate.h"

namespace {

constexpr const char* kLayout = R"(<Window size="300,400">
    <VerticalLayout name="root">
      <List name="names" height="100" itemheight="30" columnwidths="100">
        <ListTextElement name="row0" text="First"/>
        <ListTextElement name="row1" text="Second"/>
        <ListContainerElement name="action" height="30">
          <Label name="step_name" text="Left" width="80"/>
          <Label name="step_dir" text="down" width="60"/>
          <Edit name="macro_delay" text="10"/>
        </ListContainerElement>
      </List>
      <Control/>
    </VerticalLayout></Window>)";

void SendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(5, 5);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void Click(CControlUI* control, Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(control->GetWidget(), QEvent::MouseButtonPress, button);
    SendMouse(control->GetWidget(), QEvent::MouseButtonRelease, button);
}

void DoubleClick(CControlUI* control) {
    Click(control);
    SendMouse(control->GetWidget(), QEvent::MouseButtonDblClick, Qt::LeftButton);
    SendMouse(control->GetWidget(), QEvent::MouseButtonRelease, Qt::LeftButton);
}

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_window.Create(kNoWindow, "list", UIStyle::Visible, 0, 0, 0, 0, 0));
        ASSERT_TRUE(RunUntil([&] { return m_window.Count("windowinit") == 1; }));
        m_list = dynamic_cast<CListUI*>(Find("names"));
        ASSERT_NE(m_list, nullptr);
        m_window.m_notes.clear();
    }
    CControlUI* Find(const char* name) { return m_window.GetPaintManager().FindControl(name); }
    // The list's notifications so far as "type:sender" (the edit in a row may have
    // had the focus and report losing it).
    std::vector<std::string> Notes() const {
        std::vector<std::string> notes;
        for (const auto& n : m_window.m_notes)
            if (n.type != "setfocus" && n.type != "killfocus")
                notes.push_back(n.type + ":" + n.sender);
        return notes;
    }
    WPARAM LastWParam(const std::string& type) const {
        for (auto it = m_window.m_notes.rbegin(); it != m_window.m_notes.rend(); ++it)
            if (it->type == type) return it->wParam;
        return ~WPARAM{0};
    }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            auto row = std::make_unique<CListTextElementUI>();
            row->SetName("extra" + std::to_string(i));
            row->SetText(0, "Extra");
            m_list->Add(std::move(row));
        }
    }

    CTempSkin m_skin;
    CTestWindow m_window{kLayout};
    CListUI* m_list = nullptr;
};

TEST_F(ListTest, ClickSelectsTheRowAndReportsSelectionThenClick) {
    Click(Find("row1"));
    EXPECT_EQ(m_list->GetCurSel(), 1);
    EXPECT_EQ(Notes(), (std::vector<std::string>{"itemselect:names", "itemclick:row1"}));
    EXPECT_EQ(LastWParam("itemselect"), 1u);

    Click(Find("row1"));  // same row: clicked again, selection unchanged
    EXPECT_EQ(m_window.Count("itemselect"), 1);
    EXPECT_EQ(m_window.Count("itemclick", "row1"), 2);
}

TEST_F(ListTest, ClickOnALabelInsideAContainerRowSelectsThatRow) {
    Click(Find("step_dir"));
    EXPECT_EQ(m_list->GetCurSel(), 2);
    EXPECT_EQ(m_window.Count("itemclick", "action"), 1);
}

TEST_F(ListTest, DoubleClickActivatesAndRightClickSelectsThenAsksForAMenu) {
    DoubleClick(Find("row0"));
    EXPECT_EQ(m_window.Count("itemactivate", "row0"), 1);

    m_window.m_notes.clear();
    Click(Find("step_name"), Qt::RightButton);
    EXPECT_EQ(m_list->GetCurSel(), 2);
    EXPECT_EQ(Notes(),
              (std::vector<std::string>{"itemselect:names", "itemclick:action", "menu:action"}));
}

TEST_F(ListTest, SelectItemIsSilentUnlessAsked) {
    EXPECT_TRUE(m_list->SelectItem(2));
    EXPECT_EQ(m_list->GetCurSel(), 2);
    EXPECT_TRUE(dynamic_cast<IListItemUI*>(Find("action"))->IsSelected());
    EXPECT_TRUE(m_list->SelectItem(0, false, true));
    EXPECT_FALSE(dynamic_cast<IListItemUI*>(Find("action"))->IsSelected());
    EXPECT_EQ(Notes(), (std::vector<std::string>{"itemselect:names"}));
    EXPECT_FALSE(m_list->SelectItem(7));
    EXPECT_EQ(m_list->GetCurSel(), 0);
}

TEST_F(ListTest, InsertAndRemoveKeepTheSelectionOnItsRow) {
    m_list->SelectItem(1);
    auto row = std::make_unique<CListTextElementUI>();
    row->SetName("inserted");
    m_list->AddAt(std::move(row), 0);
    EXPECT_EQ(m_list->GetCurSel(), 2);
    EXPECT_EQ(dynamic_cast<IListItemUI*>(Find("row1"))->GetIndex(), 2);

    ASSERT_TRUE(m_list->Remove(Find("inserted")));
    EXPECT_EQ(m_list->GetCurSel(), 1);
    ASSERT_TRUE(m_list->Remove(Find("row1")));
    EXPECT_EQ(m_list->GetCurSel(), -1);
    EXPECT_EQ(dynamic_cast<IListItemUI*>(Find("action"))->GetIndex(), 1);
    m_list->RemoveAll();
    EXPECT_EQ(m_list->GetCount(), 0);
    EXPECT_EQ(m_list->GetCurSel(), -1);
    EXPECT_EQ(m_window.Count("itemselect"), 0);
}

TEST_F(ListTest, ArrowKeysMoveTheSelectionOverHiddenRows) {
    Find("row1")->SetVisible(false);
    m_list->SelectItem(0);
    TEventUI key;
    key.type = UIEventType::KeyDown;
    key.key = VKey::Down;
    m_list->DoEvent(key);
    EXPECT_EQ(m_list->GetCurSel(), 2);
    m_list->DoEvent(key);  // last row: stays
    key.key = VKey::Up;
    m_list->DoEvent(key);
    EXPECT_EQ(m_list->GetCurSel(), 0);
    EXPECT_EQ(m_window.Count("itemselect", "names"), 2);
}

TEST_F(ListTest, RowsKeepTheFixedHeightAndTheLastRowCanBeScrolledIntoView) {
    AddRows(10);
    m_window.GetPaintManager().UpdateLayout();
    EXPECT_EQ(Find("row0")->GetPos().Height(), 30);
    EXPECT_EQ(Find("action")->GetPos().Height(), 30);
    EXPECT_EQ(m_list->GetScrollPos(), 0);

    m_list->EnsureVisible(m_list->GetCount() - 1);
    const UIRect last = m_list->GetItemAt(m_list->GetCount() - 1)->GetPos();
    EXPECT_GT(m_list->GetScrollPos(), 0);
    EXPECT_EQ(last.bottom, m_list->GetPos().bottom);

    m_list->EnsureVisible(0);
    EXPECT_EQ(m_list->GetScrollPos(), 0);
}

TEST_F(ListTest, TextRowsHoldOneTextPerColumn) {
    auto* row = dynamic_cast<CListTextElementUI*>(Find("row0"));
    ASSERT_NE(row, nullptr);
    row->SetText(1, "second column");
    EXPECT_EQ(row->GetText(0), "First");
    EXPECT_EQ(row->GetText(), "First");
    EXPECT_EQ(row->GetText(1), "second column");
    EXPECT_EQ(row->GetText(5), "");
}

}  // namespace
