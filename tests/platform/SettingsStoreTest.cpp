#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    CTempEnvironment m_env;
};

TEST_F(SettingsStoreTest, RoundTripInTheConfigFolder) {
    CSettingsStore store;
    EXPECT_EQ(store.ReadValue("LANGUAGE"), "");
    ASSERT_TRUE(store.WriteValue("LANGUAGE", "1"));
    ASSERT_TRUE(store.WriteValue("SKINIMAGE", "IMAGE", "skin/a b.png"));
    ASSERT_TRUE(store.WriteValue("language", "2"));  // the same key, in place

    const CSettingsStore again;
    EXPECT_EQ(again.ReadValue("LANGUAGE"), "2");
    EXPECT_EQ(again.ReadValue("skinimage", "image"), "skin/a b.png");
    EXPECT_EQ(ReadText(ConfigFolder() + "settings.ini"),
              "[General]\nLANGUAGE=2\n[SKINIMAGE]\nIMAGE=skin/a b.png\n");
}

TEST_F(SettingsStoreTest, WriteKeepsEveryOtherLine) {
    const std::string file = m_env.Root() + "/main.ini";
    WriteText(file,
              "; written by hand\r\n"
              "[SKINIMAGE]\r\n"
              "FLAGS = 0\r\n"
              "\r\n"
              "[Other]\r\n"
              "IMAGE=keep\r\n");
    CSettingsStore store(file);
    EXPECT_EQ(store.ReadValue("SKINIMAGE", "FLAGS"), "0");
    ASSERT_TRUE(store.WriteValue("SKINIMAGE", "IMAGE", "b.png"));
    ASSERT_TRUE(store.WriteValue("SKINIMAGE", "FLAGS", "1"));
    EXPECT_EQ(ReadText(file),
              "; written by hand\r\n"
              "[SKINIMAGE]\r\n"
              "FLAGS=1\n"
              "IMAGE=b.png\n"
              "\r\n"
              "[Other]\r\n"
              "IMAGE=keep\r\n");
    EXPECT_EQ(store.ReadValue("Other", "IMAGE"), "keep");
}

TEST_F(SettingsStoreTest, UnusableFileChangesNothing) {
    const std::string blocker = m_env.Root() + "/plain-file";
    WriteText(blocker, "not a folder");
    const std::string folderAsFile = m_env.Root() + "/folder.ini";
    fs::create_directory(folderAsFile);

    for (const std::string& file : {blocker + "/settings.ini", folderAsFile}) {
        SCOPED_TRACE(file);
        CSettingsStore store(file);
        EXPECT_FALSE(store.WriteValue("LANGUAGE", "1"));
        EXPECT_EQ(store.ReadValue("LANGUAGE"), "");
    }
    EXPECT_EQ(ReadText(blocker), "not a folder");
    EXPECT_TRUE(fs::is_directory(folderAsFile));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_env.Root()), fs::directory_iterator()), 2)
        << "a temporary file was left behind";
}

TEST_F(SettingsStoreTest, RejectsTextThatWouldBreakTheFile) {
    CSettingsStore store(m_env.Root() + "/s.ini");
    ASSERT_TRUE(store.WriteValue("KEY", "v"));
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    for (const Case c : {Case{"General", "KEY", "a\nb"}, Case{"General", "K=EY", "x"},
                         Case{"Gen\neral", "KEY", "x"}, Case{"General", " ", "x"}}) {
        EXPECT_FALSE(store.WriteValue(c.section, c.key, c.value)) << c.key << c.value;
    }
    EXPECT_EQ(ReadText(m_env.Root() + "/s.ini"), "[General]\nKEY=v\n");
}

}  // namespace
