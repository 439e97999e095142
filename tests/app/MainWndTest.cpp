#include <gtest/gtest.h>

#include <cstdlib>

#include "AppTestSupport.h"
#include "app/LanguageConfig.h"
#include "app/MainWnd.h"
#include "platform/Platform.h"

namespace {

TEST(WindowDpiTest, LargeMonitorsGet144) {
    struct Case {
        int width, height, dpi;
    };
    for (const Case c : {Case{1920, 1080, 144}, Case{1366, 768, 96}, Case{1501, 961, 144},
                         Case{1500, 1080, 96}, Case{2560, 960, 96}, Case{0, 0, 96}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(WindowDpiForMonitor(c.width, c.height), c.dpi);
    }
}

TEST(LanguageConfigTest, BadFilesGiveNoOrEmptyEntries) {
    CTempFolder folder;
    struct Case {
        const char* text;
        std::size_t entries;
    };
    for (const Case c :
         {Case{"", 0}, Case{"not json", 0}, Case{"[1,2]", 0}, Case{R"({"Language": {"a": 1}})", 0},
          Case{R"({"Language": [5, "x"]})", 2},
          Case{R"({"Language": [{"Language_ID": "2052", "Language_file": 7}]})", 1}}) {
        SCOPED_TRACE(c.text);
        const auto list = ReadLanguageList(folder.Write("Language.config", c.text));
        ASSERT_EQ(list.size(), c.entries);
        for (const auto& entry : list) EXPECT_TRUE(entry.file.empty());
    }
    EXPECT_TRUE(ReadLanguageList(folder.Path() + "/missing.config").empty());
    const auto parsed = ReadLanguageList(folder.Write(
        "ok.config", R"({"Language": [{"Language_ID": 2052, "Language_file": "lan_cn.xml",
                          "Language_name": "cn", "Language_text": "language_chinese_text"}]})"));
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].id, 2052);
    EXPECT_EQ(parsed[0].file, "lan_cn.xml");
}

// The shipped Language.config beside the test program: English, then Chinese.
TEST(LanguageIndexTest, StoredIdSelectsItsLanguageAndUnknownIdsSelectTheFirst) {
    CTempFolder config;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old != nullptr ? old : "";
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    struct Case {
        const char* stored;
        int index;
    };
    CMainWnd window;
    for (const Case c :
         {Case{"2052", 1}, Case{"1033", 0}, Case{"9999", 0}, Case{"abc", 0}, Case{"", 0}}) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(CSettingsStore().WriteValue("LANGUAGE", c.stored));
        EXPECT_EQ(window.ReadLanguageIndex(), c.index);
    }
    window.WriteLanguageIndex(2052);
    EXPECT_EQ(CSettingsStore().ReadValue("LANGUAGE"), "2052");
    if (old != nullptr)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
