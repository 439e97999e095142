#include "profile/ProfileData.h"

#include <cstdlib>

#include "ProfileTestSupport.h"
#include "platform/Platform.h"
#include "profile/JsonFile.h"
#include "profile/ProfileFolders.h"

namespace {

const char* const kDefaultProfile = R"({
   "Device" : [ { "DPIStages" : { "StageActive" : 1 }, "LightInfo" : { "Mode" : 3 } } ],
   "profilename" : "default"
})";

// A profile folder with the kind's default profile beside it.
class ProfileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Spit(m_folder / "mouse.Json", kDefaultProfile);
        m_profile.SetDefaultProfilePath(m_folder / "mouse.Json");
        m_profile.SetProfilePath(m_path);
    }
    Json::Value DefaultRecord() {
        Json::Value root;
        EXPECT_TRUE(ReadJsonFile(m_folder / "mouse.Json", root));
        return root["Device"][0];
    }
    Json::Value FileRoot() {
        Json::Value root;
        EXPECT_TRUE(ReadJsonFile(m_path, root)) << Slurp(m_path);
        return root;
    }

    CTempFolder m_folder;
    std::string m_path = m_folder / "2022_02_01_09_05_03_007.Json";
    CMouseProfiledata m_profile;
};

TEST_F(ProfileFixture, MissingFileIsCreatedFromTheDefaultRecord) {
    const Json::Value record = m_profile.LoadDeviceRecord(m_path);
    EXPECT_EQ(record, DefaultRecord());
    EXPECT_EQ(m_profile.DeviceRecord(), DefaultRecord());
    Json::Value expected;
    expected["Device"][0] = DefaultRecord();
    EXPECT_EQ(FileRoot(), expected);  // only "Device"
    EXPECT_FALSE(Exists(m_path + ".bad"));
}

TEST_F(ProfileFixture, ExistingRecordIsLoadedAndTheFileLeftAlone) {
    const std::string text =
        R"({"Device":[{"DPIStages":{"StageActive":4}}],"profilename":"Mine","x":1})";
    Spit(m_path, text);
    EXPECT_EQ(
        JsonInt(JsonObject(m_profile.LoadDeviceRecord(m_path), "DPIStages"), "StageActive", -1), 4);
    EXPECT_EQ(Slurp(m_path), text);
}

// Every file that holds no usable record falls back to the default one, and nothing throws.
TEST_F(ProfileFixture, BadFilesFallBackToTheDefaultRecord) {
    struct Case {
        const char* name;
        std::string bytes;
        bool keepsCopy;     // the old bytes go to ".bad"
        bool keepsMembers;  // "profilename" survives in the rewritten file
    };
    const Case cases[] = {
        {"empty Device", R"({"profilename":"Mine","Device":[]})", false, true},
        {"null record", R"({"profilename":"Mine","Device":[null]})", false, true},
        {"Device object", R"({"profilename":"Mine","Device":{"a":1}})", true, true},
        {"Device text", R"({"profilename":"Mine","Device":"x"})", true, true},
        {"record number", R"({"profilename":"Mine","Device":[5]})", true, true},
        {"record array", R"({"profilename":"Mine","Device":[[{"a":1}]]})", true, true},
        {"profilename number", R"({"profilename":7})", false, true},
        {"top-level array", R"([{"Device":[{}]}])", true, false},
        {"not JSON", "this is not JSON", true, false},
        {"trailing comma", R"({"profilename":"Mine",})", true, false},
        {"non-UTF-8", "\xFF\xFE{\x00\"", true, false},
        {"empty file", "", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(m_path + ".bad");
        Spit(m_path, c.bytes);
        EXPECT_EQ(m_profile.LoadDeviceRecord(m_path), DefaultRecord());
        const Json::Value root = FileRoot();
        EXPECT_EQ(root["Device"][0], DefaultRecord());
        EXPECT_EQ(root.isMember("profilename"), c.keepsMembers);
        EXPECT_EQ(Exists(m_path + ".bad"), c.keepsCopy);
        if (c.keepsCopy) {
            EXPECT_EQ(Slurp(m_path + ".bad"), c.bytes);
        }
    }
}

TEST_F(ProfileFixture, FileAboveTheSizeLimitIsKeptAndReplaced) {
    {
        std::ofstream out(m_path, std::ios::binary);
        out << R"({"profilename":")";
    }
    std::filesystem::resize_file(m_path, kMaxJsonFileBytes + 100);
    EXPECT_EQ(m_profile.LoadDeviceRecord(m_path), DefaultRecord());
    EXPECT_EQ(std::filesystem::file_size(m_path + ".bad"), kMaxJsonFileBytes + 100);
    EXPECT_EQ(FileRoot()["Device"][0], DefaultRecord());
}

TEST_F(ProfileFixture, SaveRecordKeepsTheOtherMembers) {
    Spit(m_path, R"({"profilename":"Mine","profileUUID":"2022_02_01_09_05_03_007",
                    "Unknown":[1,2],"Device":[{"DPIStages":{"StageActive":0}}]})");
    m_profile.LoadDeviceRecord(m_path);
    JsonObjectMember(m_profile.DeviceRecord(), "DPIStages")["StageActive"] = 3;
    ASSERT_TRUE(m_profile.SaveRecord());
    EXPECT_EQ(Slurp(m_path),
              "{\n"
              "   \"Device\" : [\n"
              "      {\n"
              "         \"DPIStages\" : {\n"
              "            \"StageActive\" : 3\n"
              "         }\n"
              "      }\n"
              "   ],\n"
              "   \"Unknown\" : [ 1, 2 ],\n"
              "   \"profileUUID\" : \"2022_02_01_09_05_03_007\",\n"
              "   \"profilename\" : \"Mine\"\n"
              "}\n\n");
}

// A save reuses the document it last read or wrote only while the file is unchanged.
TEST_F(ProfileFixture, SaveKeepsWhatAnotherWriterChangedMeanwhile) {
    Spit(m_path, R"({"profilename":"Mine","Device":[{"a":1}]})");
    m_profile.LoadDeviceRecord(m_path);
    ASSERT_TRUE(m_profile.SaveRecord());
    Json::Value renamed = FileRoot();
    renamed["profilename"] = "Lent";  // same size, rewritten in place
    Spit(m_path, StyledJsonText(renamed));
    // An editor saving later; the clock tick may be coarser than this test.
    std::filesystem::last_write_time(
        m_path, std::filesystem::last_write_time(m_path) + std::chrono::seconds(1));
    m_profile.DeviceRecord()["a"] = 2;
    ASSERT_TRUE(m_profile.SaveRecord());
    EXPECT_EQ(FileRoot()["profilename"], "Lent");
    renamed = FileRoot();
    renamed["Other"] = true;  // replaced by rename, as the profile list does
    ASSERT_TRUE(WriteJsonFile(m_path, renamed));
    m_profile.DeviceRecord()["a"] = 3;
    ASSERT_TRUE(m_profile.SaveRecord());
    EXPECT_EQ(FileRoot()["Other"], true);
    EXPECT_EQ(FileRoot()["Device"][0]["a"], 3);
}

TEST_F(ProfileFixture, RepeatedSavesKeepTheRecordInMemoryAndInEveryElement) {
    m_profile.LoadDeviceRecord(m_path);
    const Json::Value loaded = m_profile.DeviceRecord();
    ASSERT_TRUE(m_profile.SaveRecord());
    ASSERT_TRUE(m_profile.SaveRecord());
    EXPECT_EQ(m_profile.DeviceRecord(), loaded);
    m_profile.SetRecordIndex(1);
    m_profile.DeviceRecord()["b"] = 1;
    ASSERT_TRUE(m_profile.SaveRecord());
    EXPECT_EQ(FileRoot()["Device"][0], loaded);
    EXPECT_EQ(FileRoot()["Device"][1]["b"], 1);
}

TEST_F(ProfileFixture, SaveOverAnUnparsableFileKeepsACopyAndWritesOnlyDevice) {
    const std::string broken = R"({"profilename":"Mine","Device":[{"a":1},]})";
    Spit(m_path, broken);
    m_profile.DeviceRecord()["a"] = 2;
    ASSERT_TRUE(m_profile.SaveRecord());
    EXPECT_EQ(Slurp(m_path + ".bad"), broken);
    Json::Value expected;
    expected["Device"][0]["a"] = 2;
    EXPECT_EQ(FileRoot(), expected);
}

TEST_F(ProfileFixture, RestoringDefaultsChangesOnlyTheRecord) {
    Spit(m_path, R"({"profilename":"Mine","profileUUID":"u","Device":[{"a":1}]})");
    m_profile.LoadDeviceRecord(m_path);
    m_profile.LoadDeviceRecord(m_profile.GetDefaultProfilePath());
    ASSERT_TRUE(m_profile.SaveRecord());
    const Json::Value root = FileRoot();
    EXPECT_EQ(root["Device"][0], DefaultRecord());
    EXPECT_EQ(root["profilename"], "Mine");
    EXPECT_EQ(root["profileUUID"], "u");
}

TEST_F(ProfileFixture, MissingDefaultProfileGivesANullRecord) {
    std::filesystem::remove(m_folder / "mouse.Json");
    EXPECT_TRUE(m_profile.LoadDeviceRecord(m_path).isNull());
    EXPECT_TRUE(FileRoot()["Device"].isArray());
}

TEST_F(ProfileFixture, PathsAndFailedSaves) {
    m_profile.SetProfilePath("");
    EXPECT_EQ(m_profile.GetProfilePath(), m_path);  // empty leaves it
    m_profile.SetLightConfigPath("");
    EXPECT_EQ(m_profile.GetLightConfigPath(), "");
    EXPECT_FALSE(m_profile.WriteRecord(Json::Value(), m_folder / "missing-folder/p.Json"));
    m_profile.SetRecordIndex(-1);
    EXPECT_FALSE(m_profile.SaveRecord());
    EXPECT_TRUE(m_profile.LoadDeviceRecord(m_path).isNull());
    EXPECT_FALSE(Exists(m_path));
}

// A profile UUID from a hand-edited list must not reach files outside the folder.
TEST_F(ProfileFixture, PathsLeavingTheFolderAreNeitherReadNorWritten) {
    std::filesystem::create_directory(m_folder / "kind");
    const std::string outside = m_folder / "victim.Json";
    Spit(outside, R"({"Device":[{"secret":1}]})");
    for (const std::string& path : {m_folder / "kind/../victim.Json", m_folder / "kind/../x.Json",
                                    m_folder / "kind/a b.Json", m_folder / "kind/"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(m_profile.LoadDeviceRecord(path), DefaultRecord());
        EXPECT_FALSE(m_profile.WriteRecord(Json::Value(), path));
    }
    EXPECT_EQ(Slurp(outside), R"({"Device":[{"secret":1}]})");
    EXPECT_FALSE(Exists(m_folder / "x.Json"));
    EXPECT_TRUE(IsPlainFilePath(m_folder / "kind/2022_02_01_09_05_03_007.Json"));
}

TEST(MakeProfileDocument, SetsTheEnvelopeOverACopyOfTheDefault) {
    Json::Value base;
    base["Device"][0]["a"] = 1;
    base["profilename"] = "default";
    const Json::Value document = MakeProfileDocument(base, "Profil \xDC", "2022_02_01");
    EXPECT_EQ(document["profilename"], "Profil \xC3\x9C");
    EXPECT_EQ(document["profileUUID"], "2022_02_01");
    EXPECT_EQ(document["Device"], base["Device"]);
    EXPECT_EQ(MakeProfileDocument(Json::Value(5), "n", "u").size(), 2u);
}

TEST(ProfileFolders, LiveUnderTheUserDataFolder) {
    CTempFolder data;
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", (data / "share").c_str(), 1);
    const std::string expected = data / "share/TOLMI Q318 Driver/HD/";
    EXPECT_EQ(GetProfileFolder(kKindNameHeadset), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));
    EXPECT_EQ(GetProfileFolder(kKindNameHeadset), expected);  // second time: nothing new
    EXPECT_EQ(GetProfileFolder("../escape"), "");
    EXPECT_FALSE(Exists(data / "share/escape"));
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");

    EXPECT_EQ(DefaultProfilePathIn("/opt/q318/DefaultData/", kKindNameMousePad),
              "/opt/q318/DefaultData/MousePad.Json");
    EXPECT_EQ(GetDefaultProfilePath(kKindNameKeyboard),
              ProgramFolder() + "DefaultData/keyboard.Json");
}

TEST(ProfileFolders, IdentifiersFromFilesNeverLeaveTheFolder) {
    for (const char* uuid : {"../x", "/etc/passwd", "a/../../b", "..", "", "x\\..\\y"}) {
        EXPECT_EQ(ProfileFilePath("/data/mouse/", uuid), "") << uuid;
        EXPECT_EQ(FileInFolder("/data/mouse/", uuid), "") << uuid;
    }
    EXPECT_EQ(ProfileFilePath("/data/mouse/", "2021_11_19_14_03_07_045"),
              "/data/mouse/2021_11_19_14_03_07_045.Json");
    EXPECT_EQ(FileInFolder("/data/mouse/", "Guid-1.mac"), "/data/mouse/Guid-1.mac");
}

}  // namespace

// The section caches follow the device record: Load reads what a loaded profile holds,
// Store changes the record that the next save writes.
TEST(ProfileSectionCaches, FollowTheDeviceRecordAndReachTheFileOnlyThroughASave) {
    CTempFolder folder;
    const std::string path = folder / "2022_02_01_09_05_03_007.Json";
    CMouseProfiledata profile;
    profile.SetProfilePath(path);
    profile.DeviceRecord() = Json::Value(Json::objectValue);

    KeyRecord key;
    key.current = {0, 0x10, 4, 0};  // positions are the list's own order
    key.defaults = {0, 0x10, 1, 0};
    profile.StoreKeyList({key});
    LightRecord light;
    light.mode = 2;
    light.brightness = 4;
    light.red = 200;
    profile.StoreLightInfo(light);
    EXPECT_FALSE(Exists(path));  // nothing written yet

    ASSERT_TRUE(profile.SaveRecord());
    CMouseProfiledata reloaded;
    reloaded.LoadDeviceRecord(path);
    ASSERT_EQ(reloaded.LoadKeyList().size(), 1u);
    EXPECT_EQ(reloaded.GetKeyList()[0].current, key.current);
    EXPECT_EQ(reloaded.LoadLightInfo().mode, 2);
    EXPECT_EQ(reloaded.GetLightInfo().brightness, 4);
    EXPECT_EQ(reloaded.GetLightInfo().red, 200);
    EXPECT_TRUE(reloaded.LoadLightList().empty());
}
