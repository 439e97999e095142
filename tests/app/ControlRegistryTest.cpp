#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/ControlRegistry.h"
#include "controls/CircleProgressUI.h"
#include "controls/DeviceKeyButtonUI.h"
#include "device/TavrinMouseDevice.h"
#include "device/TavrinUSBDevice.h"
#include "panels/FeaturePanels.h"
#include "ui/UILib.h"

namespace {

// Builds layouts with the program's tag table as callback, the way the main window does.
class CTagCallback : public IDialogBuilderCallback {
public:
    explicit CTagCallback(CPaintManagerUI& pm) : m_pm(pm) {}
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override {
        return CreateControlForTag(tag, m_pm);
    }

private:
    CPaintManagerUI& m_pm;
};

class ControlRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldPath = CResourceManager::Instance().GetResourcePath();
        CResourceManager::Instance().SetResourcePath(m_skin.Path() + "/");
    }
    void TearDown() override { CResourceManager::Instance().SetResourcePath(m_oldPath); }

    CTempFolder m_skin;
    CPaintManagerUI m_pm;
    std::string m_oldPath;
};

TEST_F(ControlRegistryTest, EveryFactoryRowCreatesItsClass) {
    const auto& names = RegisteredControlClassNames();
    ASSERT_EQ(names.size(), 23u);
    EXPECT_EQ(names.front(), "CCircleProgressUI");
    EXPECT_EQ(names.back(), "CTavrinVE6533Device");
    for (std::string_view name : names) {
        SCOPED_TRACE(std::string(name));
        auto control = CControlFactory::Instance().CreateControl(name);
        ASSERT_NE(control, nullptr);
        // Class names drop the C prefix (IsClass also takes them with "UI" appended).
        std::string expected(name.substr(1));
        EXPECT_TRUE(control->IsClass(expected)) << control->GetClass();
    }
    // Reachable by tag or direct construction only.
    EXPECT_FALSE(CControlFactory::Instance().IsRegistered("CTavrinMouseDevice"));
    EXPECT_FALSE(CControlFactory::Instance().IsRegistered("CTavrinKeyboardDevice"));
}

TEST_F(ControlRegistryTest, TagsCompareWithoutCase) {
    for (const char* tag : {"DeviceKeyButton", "devicekeybutton", "DEVICEKEYBUTTON"}) {
        SCOPED_TRACE(tag);
        auto control = CreateControlForTag(tag, m_pm);
        EXPECT_NE(dynamic_cast<CDeviceKeyButtonUI*>(control.get()), nullptr);
    }
    EXPECT_NE(
        dynamic_cast<CTavrinMouseDevice*>(CreateControlForTag("tavrinmousedevice", m_pm).get()),
        nullptr);
    EXPECT_EQ(CreateControlForTag("NoSuchTag", m_pm), nullptr);
    EXPECT_EQ(CreateControlForTag("", m_pm), nullptr);
}

TEST_F(ControlRegistryTest, NestedLayoutResolvesProgramClassesWithoutCallback) {
    m_skin.Write("XML/CustomControlXML/KeySetControl.xml",
                 "<CKeySetControlUI name=\"KeySetControlItem\">"
                 "<CDeviceKeyButtonUI name=\"key_1\"/>"
                 "<DeviceKeyButton name=\"by_tag\"/>"
                 "</CKeySetControlUI>");
    auto root = CreateControlForTag("keysetcontrolui", m_pm);
    auto* panel = dynamic_cast<CKeySetControlUI*>(root.get());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetName(), "KeySetControlItem");
    ASSERT_GE(panel->GetCount(), 1);
    EXPECT_NE(dynamic_cast<CDeviceKeyButtonUI*>(panel->GetItemAt(0)), nullptr);
    // Tags are the main window's callback; a nested layout has none, so this one
    // builds nothing.
    EXPECT_EQ(panel->GetCount(), 1);
}

TEST_F(ControlRegistryTest, UnknownTagLeavesTheRestOfTheLayout) {
    CTagCallback callback(m_pm);
    CDialogBuilder builder;
    auto root = builder.Create(
        "<VerticalLayout name=\"page\">"
        "<Label name=\"before\"/>"
        "<NoSuchThing name=\"lost\"><Label name=\"inside\"/></NoSuchThing>"
        "<circleprogress name=\"ring\"/>"
        "<TavrinMouseDevice name=\"mouse\"/>"
        "</VerticalLayout>",
        {}, &callback, &m_pm);
    auto* page = dynamic_cast<CContainerUI*>(root.get());
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->GetCount(), 3);
    EXPECT_EQ(page->GetItemAt(0)->GetName(), "before");
    EXPECT_NE(dynamic_cast<CCircleProgressUI*>(page->GetItemAt(1)), nullptr);
    EXPECT_NE(dynamic_cast<CTavrinMouseDevice*>(page->GetItemAt(2)), nullptr);
}

TEST(CircleProgressTest, SweepStaysWithinTheCircle) {
    struct Case {
        int min, max, value;
        double sweep;
    };
    for (const Case c : {Case{0, 100, 50, 180.0}, Case{0, 100, 100, 360.0}, Case{0, 100, 0, 0.0},
                         Case{50, 50, 50, 0.0}, Case{100, 0, 50, 0.0}, Case{0, 10, 10, 360.0}}) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " value " << c.value);
        CCircleProgressUI ring;
        ring.SetMinValue(c.min);
        ring.SetMaxValue(c.max);
        ring.SetValue(c.value);
        EXPECT_DOUBLE_EQ(ring.SweepDegrees(), c.sweep);
    }
}

}  // namespace
