// Building control trees from layouts: lookup order of tags, nested layouts, the
// resource index, includes, styles and bad input.
#include <gtest/gtest.h>

#include "UiTestSupport.h"

namespace {

class CProbeUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "ProbeUI"; }
};

class CCallbackUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "CallbackUI"; }
};

// Answers the tags a window's callback would: its own control and a nested layout.
class CTagCallback : public IDialogBuilderCallback {
public:
    explicit CTagCallback(CPaintManagerUI& pm) : m_pm(pm) {}
    std::unique_ptr<CControlUI> CreateControl(std::string_view tag) override {
        ++calls;
        if (tag == "CallbackTag" || tag == "callbacktag") return std::make_unique<CCallbackUI>();
        if (tag == "CProbeUI") return std::make_unique<CCallbackUI>();  // the factory wins
        if (tag == "NestedTag")
            return CDialogBuilder().Create("XML\\Nested.xml", {}, nullptr, &m_pm);
        return nullptr;
    }
    int calls = 0;

private:
    CPaintManagerUI& m_pm;
};

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        CControlFactory::Instance().RegistControl("CProbeUI",
                                                  [] { return std::make_unique<CProbeUI>(); });
    }
    void TearDown() override { CControlFactory::Instance().UnregistControl("CProbeUI"); }

    CControlUI* Build(const std::string& xml) {
        m_pm.AttachDialog(CDialogBuilder().Create(xml, {}, &m_callback, &m_pm));
        return m_pm.GetRoot();
    }

    CPaintManagerUI m_pm;
    CTagCallback m_callback{m_pm};
};

TEST_F(BuilderTest, BuildsTreeWithAttributesAndWindowSettings) {
    Build(R"(<Window size="300,200" caption="0,0,0,40" mininfo="100,80">
        <Font id="3" name="DejaVu Sans" size="30" bold="true"/>
        <VerticalLayout name="root" bkcolor="#FF16181D">
          <Label name="title" text="Hello" textcolor="#E6E8EE" tooltip="tip" userdata="u1"/>
          <HorizontalLayout name="row"><Button name="ok" text="OK" visible="false"/></HorizontalLayout>
        </VerticalLayout></Window>)");
    ASSERT_NE(m_pm.GetRoot(), nullptr);
    EXPECT_EQ(m_pm.GetRoot()->GetName(), "root");
    EXPECT_EQ(m_pm.GetRoot()->GetBkColor(), 0xFF16181Du);
    auto* title = dynamic_cast<CLabelUI*>(m_pm.FindControl("title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetText(), "Hello");
    EXPECT_EQ(title->GetTextColor(), 0xFFE6E8EEu);  // #RRGGBB is opaque
    EXPECT_EQ(title->GetToolTip(), "tip");
    EXPECT_EQ(title->GetUserData(), "u1");
    CControlUI* ok = m_pm.FindControl("ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->IsClass("Button"));
    EXPECT_FALSE(ok->IsVisible());
    EXPECT_EQ(ok->GetParent(), m_pm.FindControl("row"));
    EXPECT_EQ(m_pm.FindControl("missing"), nullptr);
    EXPECT_EQ(m_pm.GetInitSize(), (UISize{300, 200}));
    EXPECT_EQ(m_pm.GetCaptionRect(), (UIRect{0, 0, 0, 40}));
    ASSERT_NE(m_pm.GetFontInfo(3), nullptr);
    EXPECT_EQ(m_pm.GetFontInfo(3)->size, 30);
    EXPECT_TRUE(m_pm.GetFontInfo(3)->bold);
}

TEST_F(BuilderTest, ScopedLookupFindsTheChildOfTheGivenParent) {
    Build(R"(<HorizontalLayout>
        <VerticalLayout name="page1"><Button name="key_1"/><Label name="only1"/></VerticalLayout>
        <VerticalLayout name="page2"><Button name="key_1"/></VerticalLayout></HorizontalLayout>)");
    CControlUI* page2 = m_pm.FindControl("page2");
    CControlUI* key = m_pm.FindSubControlByName(page2, "key_1");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->GetParent(), page2);
    EXPECT_EQ(m_pm.FindSubControlByName(page2, "only1"), nullptr);
    EXPECT_EQ(m_pm.FindSubControlsByClass(nullptr, "Button").size(), 2u);
    EXPECT_EQ(m_pm.FindSubControlsByClass(page2, "buttonui").size(), 1u);
    EXPECT_EQ(m_pm.FindSubControlByClass(nullptr, "Button", 1), key);
}

TEST_F(BuilderTest, TagsResolveLibraryThenFactoryThenCallbackInAnyCase) {
    struct Case {
        const char* tag;
        const char* expectedClass;  // null: no control
    };
    const Case cases[] = {
        {"Button", "ButtonUI"},
        {"bUTTON", "ButtonUI"},
        {"VERTICALLAYOUT", "VerticalLayoutUI"},
        {"CProbeUI", "ProbeUI"},
        {"cprobeui", "ProbeUI"},
        {"CallbackTag", "CallbackUI"},
        {"callbacktag", "CallbackUI"},
        {"NoSuchTag", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        Build(std::string("<HorizontalLayout><") + c.tag + " name=\"x\"/></HorizontalLayout>");
        CControlUI* x = m_pm.FindControl("x");
        if (!c.expectedClass) {
            EXPECT_EQ(x, nullptr);
        } else {
            ASSERT_NE(x, nullptr);
            EXPECT_EQ(x->GetClass(), c.expectedClass);
        }
    }
}

TEST_F(BuilderTest, UnknownTagYieldsNoControlAndLeavesTheRestIntact) {
    Build(R"(<VerticalLayout name="root"><Label name="a"/>
        <Mystery name="m"><Button name="inside"/></Mystery><Label name="b"/></VerticalLayout>)");
    auto* root = dynamic_cast<CContainerUI*>(m_pm.GetRoot());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetCount(), 2);
    EXPECT_NE(m_pm.FindControl("a"), nullptr);
    EXPECT_NE(m_pm.FindControl("b"), nullptr);
    EXPECT_EQ(m_pm.FindControl("m"), nullptr);
    EXPECT_EQ(m_pm.FindControl("inside"), nullptr);
}

TEST_F(BuilderTest, NestedLayoutWithoutCallbackResolvesThroughTheFactory) {
    CTempSkin skin;
    skin.Write(
        "XML/Nested.xml",
        R"(<VerticalLayout name="nested"><cprobeui name="probe"/><CallbackTag name="cb"/></VerticalLayout>)");
    Build(R"(<HorizontalLayout><NestedTag/></HorizontalLayout>)");
    ASSERT_NE(m_pm.FindControl("nested"), nullptr);
    ASSERT_NE(m_pm.FindControl("probe"), nullptr);
    EXPECT_EQ(m_pm.FindControl("probe")->GetClass(), "ProbeUI");
    EXPECT_EQ(m_pm.FindControl("cb"), nullptr);  // only the outer layout has the callback
}

TEST_F(BuilderTest, ResourceIdsIncludesAndBackslashes) {
    CTempSkin skin;
    skin.Write("res.xml", R"(<Res><Xml id="XML_MAIN" path="layouts\main.xml"/></Res>)");
    skin.Write(
        "layouts/main.xml",
        R"(<VerticalLayout name="main"><Include source="layouts\row.xml" count="2"/></VerticalLayout>)");
    skin.Write("layouts/row.xml", R"(<Label name="row" text="r"/>)");
    ASSERT_TRUE(CResourceManager::Instance().LoadResource("res.xml"));
    EXPECT_EQ(CResourceManager::Instance().GetXmlPath("XML_MAIN"), "layouts/main.xml");
    auto* main = dynamic_cast<CContainerUI*>(Build("XML_MAIN"));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->GetName(), "main");
    EXPECT_EQ(main->GetCount(), 2);
}

TEST_F(BuilderTest, StylesAndDefaultAttributes) {
    Build(R"(<Window>
        <Style name="big" value="height=&quot;40&quot; text='styled'"/>
        <Default name="label" value="textcolor=&quot;#FF112233&quot;"/>
        <VerticalLayout><Label name="l" style="big"/><Label name="own" textcolor="#FF445566"/></VerticalLayout>
        </Window>)");
    auto* l = dynamic_cast<CLabelUI*>(m_pm.FindControl("l"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->GetFixedHeight(), 40);
    EXPECT_EQ(l->GetText(), "styled");
    EXPECT_EQ(l->GetTextColor(), 0xFF112233u);
    EXPECT_EQ(dynamic_cast<CLabelUI*>(m_pm.FindControl("own"))->GetTextColor(), 0xFF445566u);
}

TEST_F(BuilderTest, BadInputNeverCrashesAndBuildsWhatItCan) {
    CTempSkin skin;
    skin.Write("broken.xml", "<VerticalLayout name=\"v\">\n  <Label name=\"a\"/>\n  <Label name=");
    CDialogBuilder builder;
    auto broken = builder.Create("broken.xml", {}, nullptr, &m_pm);
    ASSERT_NE(broken, nullptr);
    EXPECT_NE(builder.GetLastError().find("broken.xml:3:"), std::string::npos)
        << builder.GetLastError();
    m_pm.AttachDialog(std::move(broken));
    EXPECT_NE(m_pm.FindControl("a"), nullptr);

    for (const char* layout : {"missing.xml", "", "<<<", "<Window><Font/></Window>"}) {
        SCOPED_TRACE(layout);
        EXPECT_EQ(CDialogBuilder().Create(layout, {}, nullptr, &m_pm), nullptr);
    }
    EXPECT_FALSE(CResourceManager::Instance().LoadResource("no-res.xml"));
    EXPECT_FALSE(CResourceManager::Instance().LoadLanguage("no-lang.xml"));
}

}  // namespace
