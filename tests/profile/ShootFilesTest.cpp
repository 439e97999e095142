#include "profile/ShootFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <unistd.h>

#include "ProfileTestSupport.h"
#include "profile/JsonFile.h"
#include "profile/MacroImage.h"

namespace fs = std::filesystem;

namespace {

const BulletGroup kPull{
    .moveLeft = true, .moveUp = false, .horizontal = 3, .vertical = 9, .delay = 85};

Json::Value Read(const fs::path& path) {
    Json::Value doc;
    ReadJsonFile(path.string(), doc);
    return doc;
}

// A mouse profile folder and a default data folder, both empty.
class ShootFilesTest : public testing::Test {
protected:
    void SetUp() override {
        m_root = fs::path(testing::TempDir()) /
                 ("shoot_files_" + std::to_string(::getpid()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "mouse");
        fs::create_directories(m_root / "DefaultData");
    }
    void TearDown() override { fs::remove_all(m_root); }

    CShootFiles Files() const {
        return CShootFiles((m_root / "mouse").string() + "/",
                           (m_root / "DefaultData").string() + "/");
    }
    fs::path Gun(int gun) const { return m_root / "mouse" / ShootFileName(gun); }
    fs::path Factory(int gun) const { return m_root / "DefaultData" / ShootFileName(gun); }
    void PutFactory(int gun, const BulletGroup& first) const {
        Json::Value doc = StillShootDocument();
        WriteBulletGroup(doc, 0, first);
        ASSERT_TRUE(WriteJsonFile(Factory(gun).string(), doc));
    }

    fs::path m_root;
};

TEST(ShootFileName, NamesTheGun) {
    EXPECT_EQ(ShootFileName(0), "ShootData_0.Shoot");
    EXPECT_EQ(ShootFileName(3), "ShootData_3.Shoot");
}

TEST(BulletGroups, GroupIsWrittenInPlaceAndReadBack) {
    Json::Value doc = StillShootDocument();
    doc["Name"] = "kept";
    doc["Events"][0]["Delay"] = 11;  // outside the group: must survive
    ASSERT_TRUE(WriteBulletGroup(doc, 2, kPull));
    EXPECT_EQ(ReadBulletGroup(doc, 2), kPull);
    EXPECT_EQ(ReadBulletGroup(doc, 1), BulletGroup{});
    EXPECT_EQ(doc["Name"], "kept");
    EXPECT_EQ(doc["Events"][0]["Delay"], 11);
    ASSERT_EQ(doc["Events"].size(), 180u);
    const std::vector<MacroEvent> group = ReadMacroEvents(doc["Events"]);
    const std::vector<MacroEvent> expected = {{1, 1, "down", 10}, {1, 1, "up", 0},
                                              {4, 3, "down", 5},  {5, 9, "up", 85},
                                              {4, 0, "down", 0},  {5, 0, "up", 0}};
    EXPECT_EQ(std::vector<MacroEvent>(group.begin() + 12, group.begin() + 18), expected);
    EXPECT_FALSE(WriteBulletGroup(doc, 30, kPull));
    EXPECT_FALSE(WriteBulletGroup(doc, -1, kPull));
}

TEST(BulletGroups, ValuesAreClampedToWhatTheDeviceTakes) {
    struct Case {
        BulletGroup entered, stored;
    };
    const Case cases[] = {
        {{.horizontal = 300, .vertical = 256, .delay = 70000},
         {.horizontal = 255, .vertical = 255, .delay = 65535}},
        {{.horizontal = -5, .vertical = -1, .delay = -5}, {}},
        {{.horizontal = 255, .vertical = 0, .delay = 65535},
         {.horizontal = 255, .vertical = 0, .delay = 65535}},
    };
    for (const Case& c : cases) {
        Json::Value doc;
        ASSERT_TRUE(WriteBulletGroup(doc, 0, c.entered));
        EXPECT_EQ(ReadBulletGroup(doc, 0), c.stored);
    }
}

TEST(BulletGroups, BadContentReadsAsZero) {
    struct Case {
        const char* doc;
        BulletGroup group;
    };
    const Case cases[] = {
        {R"(null)", {}},
        {R"([])", {}},
        {R"({"Events": {}})", {}},
        {R"({"Events": [null, null, 5, "x"]})", {}},
        {R"({"Events": [null, null, {"Action": 1, "Button": {}}, {"Button": [], "Delay": {}}]})",
         {}},
        {R"({"Events": [null, null, {"Action": "DOWN", "Button": -4}, {"Action": "Down", "Button": 1e9, "Delay": "250"}]})",
         {.moveLeft = true, .moveUp = true, .horizontal = 0, .vertical = 255, .delay = 250}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doc);
        EXPECT_EQ(ReadBulletGroup(ParseMacroFileText(c.doc), 0), c.group);
    }
    EXPECT_EQ(ReadBulletGroup(StillShootDocument(), 30), BulletGroup{});
}

TEST_F(ShootFilesTest, WriteIntoMissingFileCreatesItWhole) {
    CShootFiles files = Files();
    ASSERT_TRUE(files.WriteBullet(1, 3, kPull));
    const Json::Value doc = Read(Gun(1));
    ASSERT_EQ(doc["Events"].size(), 180u);
    for (const Json::Value& event : doc["Events"]) EXPECT_TRUE(event.isObject());
    EXPECT_EQ(files.ReadBullet(1, 3), kPull);
    EXPECT_EQ(files.ReadBullet(1, 0), BulletGroup{});
    EXPECT_EQ(files.ReadBullet(1, 29), BulletGroup{});
    EXPECT_FALSE(files.WriteBullet(4, 0, kPull));
    EXPECT_FALSE(fs::exists(m_root / "mouse" / "ShootData_4.Shoot"));
}

TEST_F(ShootFilesTest, WriteIntoMissingFileStartsFromTheFactoryFile) {
    const BulletGroup factoryFirst{.horizontal = 1, .vertical = 4, .delay = 60};
    PutFactory(2, factoryFirst);
    CShootFiles files = Files();
    ASSERT_TRUE(files.WriteBullet(2, 3, kPull));
    EXPECT_EQ(files.ReadBullet(2, 0), factoryFirst);
    EXPECT_EQ(files.ReadBullet(2, 3), kPull);
    EXPECT_EQ(Read(Gun(2))["Events"].size(), 180u);
}

TEST_F(ShootFilesTest, RestoreCopiesFactoryFilesOnlyWhereNeeded) {
    for (int gun = 0; gun < kShootGunCount; ++gun) PutFactory(gun, kPull);
    Spit(Gun(1), "not json");
    Json::Value own = StillShootDocument();
    ASSERT_TRUE(WriteJsonFile(Gun(2).string(), own));
    const std::string ownBytes = Slurp(Gun(2));
    CShootFiles files = Files();
    EXPECT_EQ(files.RestoreMissing(), 3);
    EXPECT_EQ(Slurp(Gun(0)), Slurp(Factory(0)));
    EXPECT_EQ(Slurp(Gun(1)), Slurp(Factory(1)));
    EXPECT_EQ(Slurp(Gun(1).string() + ".bad"), "not json");
    EXPECT_EQ(Slurp(Gun(2)), ownBytes);
    EXPECT_EQ(Slurp(Gun(3)), Slurp(Factory(3)));
}

TEST_F(ShootFilesTest, FailedCopiesLeaveTheTargetAsItWas) {
    // Damaged, so a restore would want to replace it.
    const std::string original = "{ \"Events\": [ damaged but mine";
    const fs::path gone = m_root / "gone.shoot";
    const fs::path png = m_root / "picture.shoot";
    const fs::path wrongEvents = m_root / "object.shoot";
    Spit(png, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    Spit(wrongEvents, R"({"Events": {"Type": 1}})");
    struct Case {
        const char* label;
        std::function<bool(CShootFiles&)> copy;
    };
    const Case cases[] = {
        {"import from a deleted file", [&](CShootFiles& f) { return f.Import(gone.string(), 0); }},
        {"import a picture", [&](CShootFiles& f) { return f.Import(png.string(), 0); }},
        {"import events object", [&](CShootFiles& f) { return f.Import(wrongEvents.string(), 0); }},
        {"import empty path", [&](CShootFiles& f) { return f.Import("", 0); }},
        {"reset without factory file", [&](CShootFiles& f) { return f.Reset(0); }},
        {"restore without factory file", [&](CShootFiles& f) { return f.RestoreMissing() == 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Spit(Gun(0), original);
        CShootFiles files = Files();
        EXPECT_FALSE(c.copy(files));
        EXPECT_EQ(Slurp(Gun(0)), original);
    }

    // Export of a gun whose file is missing keeps the chosen file.
    const fs::path target = m_root / "export.shoot";
    Spit(target, "keep");
    EXPECT_FALSE(Files().Export(3, target.string()));
    EXPECT_FALSE(Files().Export(0, ""));
    EXPECT_EQ(Slurp(target), "keep");
    // A restore that finds no factory file leaves a missing gun file missing.
    Files().RestoreMissing();
    EXPECT_FALSE(fs::exists(Gun(3)));
}

TEST_F(ShootFilesTest, ExportThenImportReproducesTheFile) {
    CShootFiles files = Files();
    ASSERT_TRUE(files.WriteBullet(0, 5, kPull));
    const fs::path exported = m_root / "out.shoot";
    ASSERT_TRUE(files.Export(0, exported.string()));
    EXPECT_EQ(Slurp(exported), Slurp(Gun(0)));
    ASSERT_TRUE(files.Import(exported.string(), 3));
    EXPECT_EQ(Slurp(Gun(3)), Slurp(Gun(0)));
    EXPECT_EQ(files.ReadBullet(3, 5), kPull);
}

TEST_F(ShootFilesTest, ImageReadsEveryGunFile) {
    CShootFiles files = Files();
    const auto empty = files.BuildImage();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), 40u);
    for (int gun = 0; gun < kShootGunCount; ++gun) ASSERT_TRUE(files.WriteBullet(gun, 0, kPull));
    const auto full = files.BuildImage();
    ASSERT_TRUE(full);
    EXPECT_EQ(full->size(), 2920u);
}

// The factory files ship with the program; each is a whole pattern in the writer's own
// format, so reading every bullet and writing it back gives the same bytes.
TEST(FactoryShootFiles, AreWholePatternsInTheWritersFormat) {
    const fs::path folder = fs::path(__FILE__).parent_path() / "../../data/DefaultData";
    for (int gun = 0; gun < kShootGunCount; ++gun) {
        SCOPED_TRACE(gun);
        const fs::path path = folder / ShootFileName(gun);
        const std::string bytes = Slurp(path);
        const Json::Value doc = ParseMacroFileText(bytes);
        ASSERT_TRUE(IsMacroDocument(doc));
        ASSERT_EQ(doc["Events"].size(), 180u);
        Json::Value rewritten(Json::objectValue);
        int pulledDown = 0;
        for (int bullet = 0; bullet < kShootBulletCount; ++bullet) {
            const BulletGroup group = ReadBulletGroup(doc, bullet);
            if (!group.moveUp && group.vertical > 0) ++pulledDown;
            EXPECT_GT(group.delay, 0);
            ASSERT_TRUE(WriteBulletGroup(rewritten, bullet, group));
        }
        EXPECT_EQ(pulledDown, kShootBulletCount);
        EXPECT_EQ(StyledJsonText(rewritten), bytes);
    }
}

}  // namespace
