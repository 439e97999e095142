// The device picture's key buttons and the select panel that marks them by dragging.
#include <gtest/gtest.h>

#include <QImage>

#include "AppTestSupport.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/RedioMacroButtonUI.h"
#include "controls/SelectPanelUI.h"
#include "ui/UILib.h"

namespace {

class CPictureWindow : public WindowImplBase {
public:
    explicit CPictureWindow(std::string layout) : m_layout(std::move(layout)) {}
    std::string GetWindowClassName() const override { return "PictureWindow"; }
    std::string GetSkinFile() override { return m_layout; }
    void Notify(TNotifyUI& msg) override {
        if (msg.type != "timer" && msg.type != "windowinit" && msg.type != "windowsize")
            notified.push_back(msg.type + ":" + (msg.sender ? msg.sender->GetName() : ""));
        WindowImplBase::Notify(msg);
    }
    template <class T>
    T* Find(const char* name) {
        return dynamic_cast<T*>(GetPaintManager().FindControl(name));
    }
    std::vector<std::string> notified;

private:
    std::string m_layout;
};

constexpr const char* kPanelLayout =
    "<Window size=\"200,100\"><CSelectPanelUI name=\"panel\">"
    "<CDeviceKeyButtonUI name=\"key_0\" float=\"true\" pos=\"10,10,30,30\"/>"
    "<CDeviceKeyButtonUI name=\"key_1\" float=\"true\" pos=\"100,10,120,30\"/>"
    "</CSelectPanelUI></Window>";

class SelectPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_window.Create(kNoWindow, "panel", UIStyle::Popup, 0, 0, 0, 200, 100));
        m_window.GetPaintManager().UpdateLayout();
        m_panel = m_window.Find<CSelectPanelUI>("panel");
        m_keys = {m_window.Find<CDeviceKeyButtonUI>("key_0"),
                  m_window.Find<CDeviceKeyButtonUI>("key_1")};
        ASSERT_TRUE(m_panel && m_keys[0] && m_keys[1]);
        m_window.notified.clear();
    }
    void Send(UIEventType type, UIPoint at) {
        TEventUI event;
        event.type = type;
        event.sender = m_panel;
        event.mouse = at;
        m_panel->DoEvent(event);
    }
    void Drag(UIPoint from, UIPoint to) {
        Send(UIEventType::ButtonDown, from);
        Send(UIEventType::MouseMove, to);
        Send(UIEventType::ButtonUp, to);
    }
    CPictureWindow m_window{kPanelLayout};
    CSelectPanelUI* m_panel = nullptr;
    std::array<CDeviceKeyButtonUI*, 2> m_keys{};
};

TEST_F(SelectPanelTest, DragMarksTheKeysItTouchesAndReportsTheEnd) {
    Drag({5, 5}, {50, 50});
    EXPECT_TRUE(m_keys[0]->IsSelected());
    EXPECT_FALSE(m_keys[1]->IsSelected());
    EXPECT_EQ(m_window.notified, std::vector<std::string>{"click_select_end:panel"});
    EXPECT_FALSE(m_panel->IsDragging());
}

TEST_F(SelectPanelTest, AClickWithoutDraggingSelectsNothingAndSaysNothing) {
    m_keys[1]->SetSelected(true);
    Send(UIEventType::ButtonDown, {15, 15});
    Send(UIEventType::ButtonUp, {15, 15});
    EXPECT_FALSE(m_keys[0]->IsSelected());
    EXPECT_TRUE(m_keys[1]->IsSelected());
    EXPECT_TRUE(m_window.notified.empty());
}

TEST_F(SelectPanelTest, DraggingOverNoKeyClearsEveryMarkAndStillReportsTheEnd) {
    m_keys[0]->SetSelected(true);
    m_keys[1]->SetSelected(true);
    Drag({150, 60}, {190, 90});  // right to left or left to right: the span is the same
    EXPECT_FALSE(m_keys[0]->IsSelected());
    EXPECT_FALSE(m_keys[1]->IsSelected());
    EXPECT_EQ(m_window.notified, std::vector<std::string>{"click_select_end:panel"});
}

TEST_F(SelectPanelTest, ADragBackwardsSpansTheSameRectangle) {
    Drag({125, 35}, {95, 5});
    EXPECT_EQ(m_panel->GetSelection(), (UIRect{95, 5, 125, 35}));
    EXPECT_FALSE(m_keys[0]->IsSelected());
    EXPECT_TRUE(m_keys[1]->IsSelected());
}

TEST_F(SelectPanelTest, ADoubleClickOnAKeyIsReportedAndPushesIt) {
    TEventUI event;
    event.type = UIEventType::DblClick;
    event.sender = m_keys[0];
    m_keys[0]->DoEvent(event);
    EXPECT_EQ(m_window.notified, std::vector<std::string>{"dbclick:key_0"});
    EXPECT_NE(m_keys[0]->GetButtonState() & UIState::Pushed, 0u);
    m_keys[1]->SetEnabled(false);
    event.sender = m_keys[1];
    m_keys[1]->DoEvent(event);
    EXPECT_EQ(m_window.notified.size(), 1u);
}

// The light image is drawn tinted with the key's colour only while the key is lit; the
// reassignment mark only while the key differs from its default.
TEST(DeviceKeyButtonPaintTest, LightAndReassignmentMarkFollowTheirFlags) {
    CTempFolder skin;
    QImage white(20, 20, QImage::Format_ARGB32);
    white.fill(Qt::white);
    ASSERT_TRUE(white.save(QString::fromStdString(skin.Path() + "/light.png")));
    QImage mark(20, 20, QImage::Format_ARGB32);
    mark.fill(Qt::blue);
    ASSERT_TRUE(mark.save(QString::fromStdString(skin.Path() + "/mark.png")));
    const std::string oldPath = CResourceManager::Instance().GetResourcePath();
    CResourceManager::Instance().SetResourcePath(skin.Path() + "/");

    struct Case {
        bool lit;
        bool sameAsDefault;
        QRgb expected;
    };
    for (const Case c : {Case{false, true, qRgb(0, 0, 0)}, Case{true, true, qRgb(255, 0, 0)},
                         Case{true, false, qRgb(0, 0, 255)}, Case{false, false, qRgb(0, 0, 255)}}) {
        SCOPED_TRACE(testing::Message() << "lit " << c.lit << " same " << c.sameAsDefault);
        CPictureWindow window(
            "<Window size=\"20,20\"><CDeviceKeyButtonUI name=\"key\" bkcolor=\"#FF000000\" "
            "lightimage=\"light.png\" keysetimage=\"mark.png\"/></Window>");
        ASSERT_TRUE(window.Create(kNoWindow, "key", UIStyle::Popup, 0, 0, 0, 20, 20));
        auto* key = window.Find<CDeviceKeyButtonUI>("key");
        ASSERT_NE(key, nullptr);
        key->SetLight(0x0000FF, 255, c.lit);  // red in the low byte
        key->SetSameAsDefault(c.sameAsDefault);
        const std::string file = skin.Path() + "/shot.png";
        ASSERT_TRUE(window.SaveScreenshot(file));
        EXPECT_EQ(QImage(QString::fromStdString(file)).pixel(10, 10) & 0xFFFFFF,
                  c.expected & 0xFFFFFF);
    }
    CResourceManager::Instance().SetResourcePath(oldPath);
}

TEST(RedioMacroButtonTest, KeepsItsRecordImage) {
    CRedioMacroButtonUI button;
    button.SetAttribute("redioimage", "macro/recording.png");
    button.SetAttribute("text", "rec");
    EXPECT_EQ(button.GetRecordImage(), "macro/recording.png");
    EXPECT_EQ(button.GetText(), "rec");
}

}  // namespace
