// The DPI and pointer panel: index/DPI conversions, the view over the page's controls
// on a small window, the reactions to the user, and the shipped mouse page's controls.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "AppTestSupport.h"
#include "app/ControlRegistry.h"
#include "device/mouse/MouseDpiPanel.h"
#include "ui/UILib.h"

namespace {

TEST(DpiConversionTest, IndexToDpi) {
    struct Case {
        int index, step, dpi;
    };
    const Case cases[] = {
        {0, 100, 200}, {38, 100, 4000}, {48, 100, 5000}, {49, 100, 5200}, {73, 100, 10000},
        {10, 50, 700}, {0, 0, 200},     {48, 0, 200},    {49, 0, 5200},   {30, 0, 200},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DpiOfIndex(c.index, c.step), c.dpi) << c.index << " step " << c.step;
}

TEST(DpiConversionTest, DpiToIndex) {
    struct Case {
        int dpi, minimumDpi, index;
    };
    const Case cases[] = {
        {4050, 100, 38},  {5100, 100, 48},  {5200, 100, 49},       {150, 100, 0},
        {10000, 100, 73}, {0, 0, 0},        {-50, 0, 0},           {200, 0, 0},
        {300, 400, 2},    {5000, 0, 48},    {5001, 0, 48},         {299, 0, 0},
        {20000, 100, 73}, {10199, 100, 73}, {2147483647, 100, 73},  // never past the top
    };
    for (const Case& c : cases)
        EXPECT_EQ(IndexOfDpi(c.dpi, c.minimumDpi), c.index) << c.dpi << " min " << c.minimumDpi;
}

std::string Numbered(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

std::string PanelLayout() {
    std::string xml = "<Window size=\"400,600\"><VerticalLayout name=\"page\">";
    for (int n = 0; n < kDpiStageCount; ++n) {
        xml += "<HorizontalLayout height=\"24\"><CheckBox name=\"" +
               Numbered("DPI_enable_check_", n) + "\" width=\"20\"/>";
        xml += "<HorizontalLayout name=\"" + Numbered("DPI_layout_", n) + "\">";
        xml += "<Slider name=\"" + Numbered("DPI_slider_", n) + "\" min=\"0\" max=\"73\"/>";
        xml += "<Edit name=\"" + Numbered("DPI_edit_", n) + "\" width=\"60\" numberonly=\"true\"/>";
        xml += "</HorizontalLayout></HorizontalLayout>";
    }
    xml += "<HorizontalLayout height=\"24\">";
    for (int n = 0; n < kPollingRateCount; ++n)
        xml += "<Option name=\"" + Numbered("polling_rate_option_", n) + "\" group=\"rate\"/>";
    xml +=
        "</HorizontalLayout>"
        "<Slider name=\"pointer_speed_slider\" height=\"20\" min=\"1\" max=\"20\"/>"
        "<CheckBox name=\"pointer_precision_check\" height=\"20\"/>"
        "<Slider name=\"scroll_speed_slider\" height=\"20\" min=\"1\" max=\"100\"/>"
        "<CheckBox name=\"scrolls_page_check\" height=\"20\"/>"
        "<Slider name=\"double_click_slider\" height=\"20\" min=\"200\" max=\"900\"/>"
        "</VerticalLayout></Window>";
    return xml;
}

class CPanelWindow : public WindowImplBase {
public:
    explicit CPanelWindow(std::string layout) : m_layout(std::move(layout)) {}
    std::string GetWindowClassName() const override { return "DpiPanelWindow"; }
    std::string GetSkinFile() override { return m_layout; }
    void Notify(TNotifyUI& msg) override {
        if (msg.type != "timer" && msg.type != "windowinit" && msg.type != "windowsize")
            notified.push_back(msg.type + ":" + (msg.sender ? msg.sender->GetName() : ""));
        WindowImplBase::Notify(msg);
    }
    template <class T>
    T* Find(const std::string& name) {
        return dynamic_cast<T*>(GetPaintManager().FindControl(name));
    }
    std::vector<std::string> notified;

private:
    std::string m_layout;
};

class MouseDpiPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_window.Create(kNoWindow, "dpi", UIStyle::Popup, 0, 0, 0, 400, 600));
        CPaintManagerUI& pm = m_window.GetPaintManager();
        pm.UpdateLayout();
        m_page = pm.FindControl("page");
        ASSERT_NE(m_page, nullptr);
        m_panel.Bind(pm, m_page);
        m_panel.SetDeviceLimits(100, 100);
        QCoreApplication::processEvents();
        m_window.notified.clear();
    }
    COptionUI* Check(int n) { return m_window.Find<COptionUI>(Numbered("DPI_enable_check_", n)); }
    CSliderUI* Slider(int n) { return m_window.Find<CSliderUI>(Numbered("DPI_slider_", n)); }
    CEditUI* Edit(int n) { return m_window.Find<CEditUI>(Numbered("DPI_edit_", n)); }
    void EnableAll() {
        for (int n = 0; n < kDpiStageCount; ++n) m_panel.ShowStageEnabled(n, true);
    }

    CPanelWindow m_window{PanelLayout()};
    CControlUI* m_page = nullptr;
    CMouseDpiPanel m_panel;
};

TEST_F(MouseDpiPanelTest, TheLastEnabledStageCannotBeTurnedOff) {
    EnableAll();
    for (int n = 0; n < 4; ++n) m_panel.ShowStageEnabled(n, false);
    for (int n = 0; n < 4; ++n) {
        EXPECT_FALSE(m_panel.IsStageEnabled(n)) << n;
        EXPECT_TRUE(Check(n)->IsEnabled()) << n;
        EXPECT_FALSE(m_window.Find<CControlUI>(Numbered("DPI_layout_", n))->IsEnabled()) << n;
    }
    EXPECT_TRUE(m_panel.IsStageEnabled(4));
    EXPECT_FALSE(Check(4)->IsEnabled());

    m_panel.ShowStageEnabled(1, true);
    EXPECT_TRUE(m_panel.IsStageEnabled(1));
    EXPECT_TRUE(m_window.Find<CControlUI>("DPI_layout_1")->IsEnabled());
    EXPECT_TRUE(Check(4)->IsEnabled());
}

TEST_F(MouseDpiPanelTest, StageDpiShowsSliderEditAndTheActiveStageImages) {
    m_panel.SetActiveStage(2);
    m_panel.ShowStageDpi(2, 38);
    m_panel.ShowStageDpi(3, 49);
    EXPECT_EQ(Slider(2)->GetValue(), 38);
    EXPECT_EQ(Edit(2)->GetText(), "4000");
    EXPECT_EQ(Edit(3)->GetText(), "5200");
    EXPECT_EQ(m_panel.GetStageSlider(3), 49);

    struct Case {
        int stage;
        const char *track, *thumb;
    };
    const Case cases[] = {
        {2, "Control/SliderBar_BK3.png", "Control/SliderBar2_Thumb.png"},
        {3, "Control/SliderBar_BK1.png", "Control/SliderBar1_Thumb.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        EXPECT_EQ(Slider(c.stage)->GetBkImage(), c.track);
        EXPECT_EQ(Slider(c.stage)->GetThumbImage(), c.thumb);
        EXPECT_EQ(Slider(c.stage)->GetThumbHotImage(), c.thumb);
        EXPECT_EQ(Slider(c.stage)->GetThumbPushedImage(), c.thumb);
    }

    m_panel.SetActiveStage(3);
    EXPECT_EQ(Slider(2)->GetBkImage(), "Control/SliderBar_BK1.png");
    EXPECT_EQ(Slider(3)->GetBkImage(), "Control/SliderBar_BK3.png");
}

TEST_F(MouseDpiPanelTest, EditCommitSnapsToTheIndexDpi) {
    struct Case {
        const char* typed;
        int index;
        const char* shown;
    };
    const Case cases[] = {
        {"4050", 38, "4000"},
        {"5100", 48, "5000"},
        {"5200", 49, "5200"},
        {"150", 0, "200"},
        {"12ab", 0, "200"},
        {"10000", 73, "10000"},
        {"", 0, "200"},
        {"20000", 73, "10000"},
        {"99999999999", 73, "10000"},
        {"-99999999999", 0, "200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        std::vector<DpiStage> stages(1);
        Edit(2)->SetText(c.typed);
        EXPECT_EQ(OnStageEditCommitted(m_panel, 2, stages), PanelOutcome::SaveAndWriteDevice);
        ASSERT_EQ(stages.size(), 3u);
        EXPECT_EQ(stages[2].dpiX, c.index);
        EXPECT_EQ(Slider(2)->GetValue(), c.index);
        EXPECT_EQ(Edit(2)->GetText(), c.shown);
    }
}

TEST_F(MouseDpiPanelTest, SlidersStoreOnlyWhenCommitted) {
    std::vector<DpiStage> stages(5);
    Slider(1)->SetValue(20);
    EXPECT_EQ(OnStageSliderMoving(m_panel, 1), PanelOutcome::None);
    EXPECT_EQ(Edit(1)->GetText(), "2200");
    EXPECT_EQ(stages[1].dpiX, 0);
    EXPECT_EQ(OnStageSliderChanged(m_panel, 1, stages), PanelOutcome::SaveAndWriteDevice);
    EXPECT_EQ(stages[1].dpiX, 20);
}

TEST_F(MouseDpiPanelTest, StageCheckStoresItsState) {
    EnableAll();
    std::vector<DpiStage> stages(5, DpiStage{.active = 1});
    Check(3)->Selected(false);
    EXPECT_EQ(OnStageCheckClicked(m_panel, 3, stages), PanelOutcome::SaveAndWriteDevice);
    EXPECT_EQ(stages[3].active, 0);
    EXPECT_FALSE(m_window.Find<CControlUI>("DPI_layout_3")->IsEnabled());
}

TEST_F(MouseDpiPanelTest, PollingRateOutsideTheOptionsShowsTheFirst) {
    struct Case {
        int index, selected;
    };
    const Case cases[] = {{3, 3}, {7, 0}, {-1, 0}, {4, 4}};
    for (const Case& c : cases) {
        m_panel.ShowPollingRate(c.index);
        for (int n = 0; n < kPollingRateCount; ++n)
            EXPECT_EQ(m_window.Find<COptionUI>(Numbered("polling_rate_option_", n))->IsSelected(),
                      n == c.selected)
                << c.index << " option " << n;
    }
}

TEST_F(MouseDpiPanelTest, PollingClickSetsTheHighHalfOfTheThirdWord) {
    SystemValues values{1, 2, SystemValues::Pack(3, 1)};
    EXPECT_EQ(OnPollingOptionClicked(m_panel, 4, values), PanelOutcome::SaveAndWriteDevice);
    EXPECT_EQ(values, (SystemValues{1, 2, SystemValues::Pack(3, 4)}));
    EXPECT_TRUE(m_window.Find<COptionUI>("polling_rate_option_4")->IsSelected());
}

TEST_F(MouseDpiPanelTest, MovingTheScrollSliderClearsScrollByPage) {
    m_panel.ShowScroll(1, 3);
    EXPECT_EQ(m_panel.GetScrollPage(), 1);
    m_window.Find<CSliderUI>("scroll_speed_slider")->SetValue(7);
    SystemValues values{0, SystemValues::Pack(1, 1), SystemValues::Pack(3, 2)};
    EXPECT_EQ(OnPointerControlChanged(m_panel, PointerControl::ScrollLines, values),
              PanelOutcome::SaveProfile);
    EXPECT_FALSE(m_window.Find<COptionUI>("scrolls_page_check")->IsSelected());
    EXPECT_EQ(values, (SystemValues{0, SystemValues::Pack(1, 0), SystemValues::Pack(7, 2)}));
}

TEST_F(MouseDpiPanelTest, EachPointerControlReplacesItsOwnHalfWord) {
    m_panel.ShowPointerSpeed(12);
    m_panel.ShowPointerPrecision(true);
    m_panel.ShowScroll(1, 5);
    m_panel.ShowDoubleClick(450);
    const SystemValues start{SystemValues::Pack(9, 9), SystemValues::Pack(9, 9),
                             SystemValues::Pack(9, 9)};
    struct Case {
        PointerControl control;
        SystemValues expected;
    };
    const Case cases[] = {
        {PointerControl::Speed, {SystemValues::Pack(9, 12), start.second, start.third}},
        {PointerControl::Precision, {start.first, SystemValues::Pack(1, 9), start.third}},
        {PointerControl::ScrollPage,
         {start.first, SystemValues::Pack(9, 1), SystemValues::Pack(5, 9)}},
        {PointerControl::DoubleClick, {SystemValues::Pack(450, 9), start.second, start.third}},
    };
    for (const Case& c : cases) {
        SystemValues values = start;
        EXPECT_EQ(OnPointerControlChanged(m_panel, c.control, values), PanelOutcome::SaveProfile);
        EXPECT_EQ(values, c.expected) << static_cast<int>(c.control);
    }
}

TEST_F(MouseDpiPanelTest, SettersSendNoNotifications) {
    EnableAll();
    m_panel.ShowStageEnabled(2, false);
    m_panel.ShowStageDpi(0, 30);
    m_panel.ShowPollingRate(2);
    m_panel.ShowPointerSpeed(5);
    m_panel.ShowPointerPrecision(true);
    m_panel.ShowScroll(1, 4);
    m_panel.ShowDoubleClick(500);
    m_panel.SetActiveStage(1);
    RunEventsUntil([] { return false; }, 20);
    EXPECT_EQ(m_window.notified, std::vector<std::string>{});
}

TEST(MouseDpiPanelUnboundTest, MissingControlsDoNothingAndReadAsZero) {
    CMouseDpiPanel panel;
    panel.ShowStageEnabled(0, true);
    panel.ShowStageDpi(0, 10);
    panel.ShowPollingRate(1);
    panel.ShowScroll(1, 3);
    EXPECT_FALSE(panel.IsStageEnabled(0));
    EXPECT_EQ(panel.GetStageSlider(0), 0);
    EXPECT_EQ(panel.GetStageEditDpi(0), 0);
    EXPECT_EQ(panel.GetScrollPage(), 0);
    EXPECT_EQ(panel.GetDoubleClick(), 0);
    EXPECT_FALSE(panel.IsStageEnabled(9));
    std::vector<DpiStage> stages;
    EXPECT_EQ(OnStageSliderChanged(panel, 9, stages), PanelOutcome::None);
    EXPECT_TRUE(stages.empty());
}

// Builds layouts with the program's tag table, as the main window does.
class CTagCallback : public IDialogBuilderCallback {
public:
    explicit CTagCallback(CPaintManagerUI& pm) : m_pm(pm) {}
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override {
        return CreateControlForTag(tag, m_pm);
    }

private:
    CPaintManagerUI& m_pm;
};

template <class T>
bool Is(CControlUI* control) {
    return dynamic_cast<T*>(control) != nullptr;
}

TEST(ShippedMousePageTest, TheDpiPageHoldsEveryPanelControl) {
    CResourceManager& resources = CResourceManager::Instance();
    const std::string oldPath = resources.GetResourcePath();
    resources.SetResourcePath(ProgramFolder() + "skin/");
    CPaintManagerUI pm;
    CTagCallback callback(pm);
    auto root = CDialogBuilder().Create("XML/DeviceXml/mousedevice.xml", {}, &callback, &pm);
    resources.SetResourcePath(oldPath);
    ASSERT_NE(root, nullptr);
    CControlUI* page = pm.FindSubControlByName(root.get(), "mouse_dpi_page");
    ASSERT_NE(page, nullptr);

    std::vector<std::pair<std::string, bool (*)(CControlUI*)>> expected = {
        {"pointer_speed_slider", Is<CSliderUI>}, {"pointer_precision_check", Is<COptionUI>},
        {"scroll_speed_slider", Is<CSliderUI>},  {"scrolls_page_check", Is<COptionUI>},
        {"double_click_slider", Is<CSliderUI>},  {"windowdeviceset_0", Is<CButtonUI>},
        {"windowdeviceset_1", Is<CButtonUI>},
    };
    for (int n = 0; n < kDpiStageCount; ++n) {
        expected.emplace_back(Numbered("DPI_layout_", n), Is<CContainerUI>);
        expected.emplace_back(Numbered("DPI_enable_check_", n), Is<COptionUI>);
        expected.emplace_back(Numbered("DPI_slider_", n), Is<CSliderUI>);
        expected.emplace_back(Numbered("DPI_edit_", n), Is<CEditUI>);
        expected.emplace_back(Numbered("polling_rate_option_", n), Is<COptionUI>);
    }
    for (const auto& [name, kind] : expected) {
        SCOPED_TRACE(name);
        CControlUI* control = pm.FindSubControlByName(page, name);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(kind(control)) << control->GetClass();
    }
    for (int n = 0; n < kDpiStageCount; ++n) {
        auto* slider =
            dynamic_cast<CSliderUI*>(pm.FindSubControlByName(page, Numbered("DPI_slider_", n)));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->GetMinValue(), 0);
        EXPECT_EQ(slider->GetMaxValue(), kTopDpiIndex);
        auto* edit =
            dynamic_cast<CEditUI*>(pm.FindSubControlByName(page, Numbered("DPI_edit_", n)));
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->IsNumberOnly());
        auto* rate = dynamic_cast<COptionUI*>(
            pm.FindSubControlByName(page, Numbered("polling_rate_option_", n)));
        ASSERT_NE(rate, nullptr);
        EXPECT_EQ(rate->GetGroup(), "mouse_polling_rate");
        // The stage check sits outside its row, so a disabled stage can be switched back on.
        CControlUI* row = pm.FindSubControlByName(page, Numbered("DPI_layout_", n));
        EXPECT_EQ(pm.FindSubControlByName(row, Numbered("DPI_enable_check_", n)), nullptr);
    }
}

}  // namespace
