#include "profile/MacroStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "ProfileTestSupport.h"
#include "profile/JsonFile.h"

namespace fs = std::filesystem;

namespace {

// A store in a fresh folder whose macros get the identifiers g1, g2, ...
class MacroStoreTest : public testing::Test {
protected:
    void SetUp() override {
        m_root = fs::path(testing::TempDir()) /
                 ("macro_store_" + std::to_string(::getpid()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "store");
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string Folder() const { return (m_root / "store").string() + "/"; }
    CMacroStore Store() {
        return CMacroStore(Folder(), "macro.config",
                           [this] { return "g" + std::to_string(++m_guids); });
    }
    fs::path m_root;
    int m_guids = 0;
};

TEST(MacroListFile, NameDependsOnKind) {
    EXPECT_EQ(MacroListFileName("mouse"), "macro.config");
    EXPECT_EQ(MacroListFileName("keyboard"), "macro.config");
    EXPECT_EQ(MacroListFileName("MousePad"), "velko_macro.config");
    EXPECT_EQ(MacroListFileName("HD"), "velko_macro.config");
}

TEST(MacroNames, NewNameTakesSmallestFreeNumberIgnoringCase) {
    struct Case {
        std::vector<MacroInfo> macros;
        const char* next;
    };
    const Case cases[] = {
        {{}, "macro_1"},
        {{{"macro_2", ""}}, "macro_1"},
        {{{"MACRO_1", ""}, {"Macro_2", ""}}, "macro_3"},
        {{{"macro_1", ""}, {"macro_3", ""}}, "macro_2"},
    };
    for (const Case& c : cases) EXPECT_EQ(NextMacroName(c.macros), c.next);
}

TEST_F(MacroStoreTest, RenameRules) {
    CMacroStore store = Store();
    ASSERT_EQ(store.Add(), 0);
    ASSERT_EQ(store.Add(), 1);
    ASSERT_EQ(store.Rename(1, "Fire"), RenameResult::Ok);
    struct Case {
        int index;
        const char* name;
        RenameResult result;
    };
    const Case cases[] = {
        {1, "", RenameResult::Empty},
        {1, "Fire", RenameResult::Taken},  // its own name
        {1, "fIRE", RenameResult::Taken},  // its own name in other case
        {1, "MACRO_1", RenameResult::Taken},
        {0, "fire", RenameResult::Taken},
        {2, "Other", RenameResult::NoSuchMacro},
        {-1, "Other", RenameResult::NoSuchMacro},
        {1, "Fire 2", RenameResult::Ok},
        {0, "\xc3\x84rger", RenameResult::Ok},
        {1, "\xc3\x84rger", RenameResult::Taken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(store.Rename(c.index, c.name), c.result);
    }
    EXPECT_EQ(store.Names(), (std::vector<std::string>{"\xc3\x84rger", "Fire 2"}));
}

TEST_F(MacroStoreTest, AddStopsAtFiftyAndKeepsIdentifiersApart) {
    CMacroStore store(Folder(), "macro.config", [] { return std::string("2024_01_01"); });
    for (int i = 0; i < kMaxMacros; ++i) ASSERT_EQ(store.Add(), i);
    EXPECT_EQ(store.Add(), -1);
    const std::vector<MacroInfo> macros = store.List();
    ASSERT_EQ(macros.size(), 50u);
    EXPECT_EQ(macros[0].guid, "2024_01_01");
    EXPECT_EQ(macros[1].guid, "2024_01_01_1");
    EXPECT_EQ(macros[49].name, "macro_50");
}

TEST_F(MacroStoreTest, SaveAndReadBackWithTextDelays) {
    CMacroStore store = Store();
    ASSERT_EQ(store.Add(), 0);
    const std::vector<MacroEvent> events = {{10, 4, "down", 120}, {10, 4, "up", 0}};
    ASSERT_TRUE(store.Save(0, events));
    EXPECT_EQ(store.Events(0), events);
    Json::Value doc;
    ASSERT_TRUE(ReadJsonFile(Folder() + "g1.mac", doc));
    EXPECT_EQ(doc["Events"][0]["Delay"], "120");
    EXPECT_EQ(doc["Version"], 64);
    EXPECT_EQ(doc["MacroName"], "macro_1");
    EXPECT_EQ(doc["Guid"], "g1");

    EXPECT_FALSE(store.Save(0, std::vector<MacroEvent>(kMaxMacroEvents + 1)));
    EXPECT_EQ(store.Events(0), events);
    EXPECT_TRUE(store.Save(0, std::vector<MacroEvent>(kMaxMacroEvents)));
}

TEST_F(MacroStoreTest, DeleteMovesLaterMacrosDownAndRemovesTheFile) {
    CMacroStore store = Store();
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(store.Add(), i);
        ASSERT_TRUE(store.Save(i, std::vector<MacroEvent>(static_cast<std::size_t>(i))));
    }
    ASSERT_TRUE(store.Delete(1));
    EXPECT_EQ(store.Names(),
              (std::vector<std::string>{"macro_1", "macro_3", "macro_4", "macro_5"}));
    EXPECT_EQ(store.Events(1).size(), 2u);
    EXPECT_FALSE(fs::exists(Folder() + "g2.mac"));
    EXPECT_FALSE(store.Delete(4));
}

TEST_F(MacroStoreTest, ImportTakesOnlyMacroFilesAndCopiesThemExactly) {
    CMacroStore store = Store();
    const std::string macro =
        "{ \"Events\" : [ { \"Type\": 10, \"Button\": 5, \"Action\": \"down\", \"Delay\": \"7\" "
        "} ], \"Extra\": 1 }";
    struct Case {
        const char* label;
        std::optional<std::string> content;  // nothing: the file does not exist
    };
    const Case refused[] = {
        {"png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"events object", std::string(R"({"Events": {}})")},
        {"array", std::string(R"([{"Events": []}])")},
        {"empty", std::string()},
        {"missing", std::nullopt},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.label);
        const fs::path source = m_root / "import.mac";
        fs::remove(source);
        if (c.content) Spit(source, *c.content);
        EXPECT_EQ(store.Import(source.string()), -1);
        EXPECT_TRUE(store.List().empty());
    }
    Spit(m_root / "good.mac", macro);
    ASSERT_EQ(store.Import((m_root / "good.mac").string()), 0);
    const MacroInfo info = store.List()[0];
    EXPECT_EQ(info.name, "macro_1");
    EXPECT_EQ(Slurp(Folder() + info.guid + ".mac"), macro);
    EXPECT_EQ(store.Events(0), (std::vector<MacroEvent>{{10, 5, "down", 7}}));
}

TEST_F(MacroStoreTest, ExportCopiesExactlyAndFailureKeepsTheTarget) {
    CMacroStore store = Store();
    ASSERT_EQ(store.Add(), 0);
    const fs::path target = m_root / "out.mac";
    Spit(target, "keep me");
    EXPECT_FALSE(store.Export(0, target.string()));  // no ".mac" file yet
    EXPECT_FALSE(store.Export(3, target.string()));
    EXPECT_EQ(Slurp(target), "keep me");

    ASSERT_TRUE(store.Save(0, std::vector<MacroEvent>{{1, 1, "down", 10}}));
    ASSERT_TRUE(store.Export(0, target.string()));
    EXPECT_EQ(Slurp(target), Slurp(Folder() + "g1.mac"));
    ASSERT_EQ(store.Import(target.string()), 1);
    EXPECT_EQ(store.Events(1), store.Events(0));
}

TEST_F(MacroStoreTest, IdentifiersThatLeaveTheFolderAreNeverUsed) {
    Spit(m_root / "victim.mac", R"({"Events": [{"Type": 10, "Button": 4, "Action": "down"}]})");
    const char* const guids[] = {"../victim", "..", "/tmp/victim", "a/b", "", "x\\..\\victim"};
    for (const char* guid : guids) {
        SCOPED_TRACE(guid);
        Json::Value list;
        list["MacroInfo"][0]["MacroName"] = "bad";
        list["MacroInfo"][0]["Guid"] = guid;
        ASSERT_TRUE(WriteJsonFile(Folder() + "macro.config", list));
        CMacroStore store = Store();
        EXPECT_EQ(store.MacroFilePath(guid), "");
        EXPECT_TRUE(store.Events(0).empty());
        EXPECT_FALSE(store.Save(0, std::vector<MacroEvent>{{10, 4, "up", 0}}));
        EXPECT_FALSE(store.Export(0, (m_root / "out.mac").string()));
        EXPECT_FALSE(fs::exists(m_root / "out.mac"));
        EXPECT_TRUE(store.Delete(0));  // the entry goes, the outside file stays
        EXPECT_TRUE(store.List().empty());
        EXPECT_TRUE(fs::exists(m_root / "victim.mac"));
    }
}

TEST_F(MacroStoreTest, WrongTypedListsReadAsWhatTheyHold) {
    struct Case {
        const char* list;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"[]", {}},
        {"5", {}},
        {R"({"MacroInfo": {}})", {}},
        {R"({"MacroInfo": "x"})", {}},
        {R"({"MacroInfo": [5, {"MacroName": 3, "Guid": {}}, {"MacroName": "ok"}]})",
         {"", "", "ok"}},
        {"{\"MacroInfo\": [", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        Spit(Folder() + "macro.config", c.list);
        CMacroStore store = Store();
        EXPECT_EQ(store.Names(), c.names);
        for (int i = 0; i < static_cast<int>(c.names.size()); ++i)
            EXPECT_TRUE(store.Events(i).empty());
        // A list that holds nothing usable is rebuilt on the first change.
        const int added = store.Add();
        EXPECT_EQ(added, static_cast<int>(c.names.size()));
        EXPECT_EQ(store.Names().size(), c.names.size() + 1);
    }
}

TEST_F(MacroStoreTest, WrongTypedMacroFilesReadAsEmpty) {
    for (const char* file : {R"({"Events": {}})", "[]", R"({"Events": "x"})", "not json"}) {
        SCOPED_TRACE(file);
        Json::Value list;
        list["MacroInfo"][0]["MacroName"] = "m";
        list["MacroInfo"][0]["Guid"] = "g";
        ASSERT_TRUE(WriteJsonFile(Folder() + "macro.config", list));
        Spit(Folder() + "g.mac", file);
        EXPECT_TRUE(Store().Events(0).empty());
    }
}

TEST_F(MacroStoreTest, ImageComesFromTheFilesInListOrder) {
    CMacroStore store = Store();
    EXPECT_FALSE(store.BuildImage());  // no macros: nothing to send
    ASSERT_EQ(store.Add(), 0);
    ASSERT_EQ(store.Add(), 1);
    ASSERT_TRUE(store.Save(1, std::vector<MacroEvent>{{10, 4, "down", 70000}}));
    const auto image = store.BuildImage();
    ASSERT_TRUE(image);
    const std::vector<std::uint8_t> expected = {
        0xaa, 0x55, 0x20, 0x00, 0x02, 0x00, 0,    0,    0,    0,
        0,    0,    0,    0,    0,    0,    0x14, 0x00, 0x18, 0x00,  // blocks at 20 and 24
        0x00, 0x00, 0x00, 0x00,                                      // macro 0 has no file yet
        0x01, 0x00, 0x00, 0x00,                                      // macro 1: one event
        0xff, 0xff, 0x8a, 0x04};
    EXPECT_EQ(*image, expected);
}

}  // namespace
