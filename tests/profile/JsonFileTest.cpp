#include "profile/JsonFile.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <json/reader.h>

#include "ProfileTestSupport.h"

namespace {

Json::Value Parse(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    EXPECT_TRUE(Json::parseFromStream(builder, in, &value, &errors)) << text;
    return value;
}

TEST(WriteJsonFile, WritesStyledTextAndOneNewline) {
    CTempFolder folder;
    const std::string path = folder / "p.Json";
    Json::Value root;
    root["profilename"] = "Game";
    root["Device"][0]["DPIStages"]["StageActive"] = 2;
    root["Device"][0]["List"].append(1);
    root["Device"][0]["List"].append(2);
    ASSERT_TRUE(WriteJsonFile(path, root));
    EXPECT_EQ(Slurp(path),
              "{\n"
              "   \"Device\" : [\n"
              "      {\n"
              "         \"DPIStages\" : {\n"
              "            \"StageActive\" : 2\n"
              "         },\n"
              "         \"List\" : [ 1, 2 ]\n"
              "      }\n"
              "   ],\n"
              "   \"profilename\" : \"Game\"\n"
              "}\n"
              "\n");
    EXPECT_FALSE(Exists(path + ".tmp"));
    EXPECT_FALSE(Exists(path + ".bad"));
}

TEST(WriteJsonFile, ReplacementKeepsTheFileMode) {
    CTempFolder folder;
    const std::string path = folder / "p.Json";
    Spit(path, "{}");
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(WriteJsonFile(path, Json::Value(Json::objectValue)));
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(WriteJsonFile, StaleTemporaryFileIsReplaced) {
    CTempFolder folder;
    const std::string path = folder / "p.Json";
    Spit(path + ".tmp", "half a fi");
    ASSERT_TRUE(WriteJsonFile(path, Json::Value(Json::objectValue)));
    EXPECT_EQ(Slurp(path), "{}\n\n");
    EXPECT_FALSE(Exists(path + ".tmp"));
}

TEST(WriteJsonFile, FailuresAreReportedAndLeaveNoFile) {
    CTempFolder folder;
    EXPECT_FALSE(WriteJsonFile(folder / "no-such-folder/p.Json", Json::Value()));
    EXPECT_FALSE(WriteJsonFile("", Json::Value()));
    std::filesystem::create_directory(folder / "dir");  // a folder where the file belongs
    EXPECT_FALSE(WriteJsonFile(folder / "dir", Json::Value(Json::objectValue)));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir"));
    EXPECT_FALSE(Exists(folder / "dir.tmp"));
}

// A full disk in a child process: the file size limit makes the write stop halfway.
TEST(WriteJsonFile, FullDiskKeepsTheOldFileAndFails) {
    CTempFolder folder;
    const std::string path = folder / "p.Json";
    const std::string original = "{\n   \"profilename\" : \"kept\"\n}\n\n";
    Spit(path, original);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        Json::Value big;
        big["Data"] = std::string(10000, 'x');
        _exit(WriteJsonFile(path, big) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reported success";
    EXPECT_EQ(Slurp(path), original);
    EXPECT_FALSE(Exists(path + ".tmp"));
}

TEST(WriteJsonFile, KeepsACopyOfAFileItCouldNotParse) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"trailing comma", "{ \"profilename\" : \"mine\", }"},
        {"truncated", "{ \"profilename\" : \"mi"},
        {"array", "[1, 2]"},
        {"empty", ""},
        {"binary", std::string("\0\xff\x01", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        const std::string path = folder / "p.Json";
        Spit(path, c.bytes);
        ASSERT_TRUE(WriteJsonFile(path, Json::Value(Json::objectValue)));
        EXPECT_EQ(Slurp(path + ".bad"), c.bytes);
        EXPECT_EQ(Slurp(path), "{}\n\n");
    }
}

TEST(WriteJsonFile, GoodFileIsReplacedWithoutACopy) {
    CTempFolder folder;
    const std::string path = folder / "p.Json";
    Spit(path, "{\"a\":1}");
    ASSERT_TRUE(WriteJsonFile(path, Json::Value(Json::objectValue)));
    EXPECT_FALSE(Exists(path + ".bad"));
}

TEST(ReadJsonFile, OutcomesOfBadFiles) {
    struct Case {
        const char* name;
        std::string bytes;
        FileReadResult expected;
    };
    const Case cases[] = {
        {"object", "{\"a\":1} // comment", FileReadResult::Ok},
        {"not JSON", "profile", FileReadResult::Unparsable},
        {"array", "[{}]", FileReadResult::Unparsable},
        {"number", "5", FileReadResult::Unparsable},
        {"empty", "", FileReadResult::Unparsable},
        {"deep nesting", std::string(100000, '['), FileReadResult::Unparsable},
        {"non-UTF-8 bytes", "{\"n\":\"\xB2\xE2\xCA\xD4\"}", FileReadResult::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        Spit(folder / "f.Json", c.bytes);
        Json::Value root(5);
        EXPECT_EQ(ReadJsonFileResult(folder / "f.Json", root), c.expected);
        EXPECT_EQ(root.isNull(), c.expected != FileReadResult::Ok);
    }
    Json::Value root(5);
    EXPECT_FALSE(ReadJsonFile("/nonexistent/f.Json", root));
    EXPECT_TRUE(root.isNull());
}

TEST(ReadFileText, FileAboveTheLimitIsUnreadable) {
    CTempFolder folder;
    const std::string path = folder / "huge.Json";
    {
        std::ofstream out(path, std::ios::binary);
        out << "{\"a\":\"";
    }
    std::filesystem::resize_file(path, kMaxJsonFileBytes + 1);  // sparse: cheap to make
    std::string text = "x";
    EXPECT_EQ(ReadFileText(path, text), FileReadResult::Unreadable);
    EXPECT_TRUE(text.empty());
    std::filesystem::resize_file(path, kMaxJsonFileBytes);
    EXPECT_EQ(ReadFileText(path, text), FileReadResult::Ok);
    EXPECT_EQ(text.size(), kMaxJsonFileBytes);
}

TEST(ReadFileText, ReadsWhatIsThereNotWhatTheSizeSays) {
    // /proc files report size 0 but have content.
    std::string text;
    ASSERT_EQ(ReadFileText("/proc/self/stat", text), FileReadResult::Ok);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(ReadFileText("/nonexistent", text), FileReadResult::Missing);
    EXPECT_EQ(ReadFileText("/", text), FileReadResult::Unreadable);  // a folder
    CTempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadFileText(folder / "fifo", text), FileReadResult::Unreadable);  // no hang
}

TEST(CopyWholeFile, UnreadableSourceLeavesTheTarget) {
    CTempFolder folder;
    Spit(folder / "target", "old");
    EXPECT_FALSE(CopyWholeFile(folder / "missing", folder / "target"));
    EXPECT_FALSE(CopyWholeFile(folder.Path(), folder / "target"));
    EXPECT_EQ(Slurp(folder / "target"), "old");
    Spit(folder / "source", std::string("new\0bytes\xff", 10));
    EXPECT_TRUE(CopyWholeFile(folder / "source", folder / "target"));
    EXPECT_EQ(Slurp(folder / "target"), Slurp(folder / "source"));
}

TEST(FileText, Utf8BothWaysAndLatin1ForInvalidBytes) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"Profil \xC3\x9C", "Profil \xC3\x9C"},        // valid UTF-8 unchanged
        {"\xE4rger", "\xC3\xA4rger"},                  // Latin-1 byte
        {"\xC3", "\xC3\x83"},                          // cut sequence
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},              // overlong form
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // surrogate
        {"\xF0\x9F\x8E\xAE", "\xF0\x9F\x8E\xAE"},      // four bytes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FromFileText(c.bytes), c.text);
        EXPECT_EQ(ToFileText(c.bytes), c.text);
        EXPECT_TRUE(IsValidUtf8(FromFileText(c.bytes)));
    }
}

TEST(FileText, NonAsciiNameSurvivesAWriteAndRead) {
    CTempFolder folder;
    const std::string path = folder / "p.Json";
    Json::Value root;
    root["profilename"] = ToFileText("Profil \xC3\x9C \xE4");
    ASSERT_TRUE(WriteJsonFile(path, root));
    Json::Value back;
    ASSERT_TRUE(ReadJsonFile(path, back));
    EXPECT_EQ(JsonString(back, "profilename"), "Profil \xC3\x9C \xC3\xA4");
}

// Texts carried along unread (a name from an older version's file) must not turn into
// garbage escapes when the file is rewritten.
TEST(FileText, InvalidBytesAreWrittenAsTheirLatin1Reading) {
    CTempFolder folder;
    const std::string path = folder / "p.Json";
    Spit(path, "{\"profilename\":\"\xE4rger\",\"\xDC\":[\"\xFF\"]}");
    Json::Value root;
    ASSERT_TRUE(ReadJsonFile(path, root));
    ASSERT_TRUE(WriteJsonFile(path, root));
    EXPECT_EQ(Slurp(path),
              "{\n   \"profilename\" : \"\\u00e4rger\",\n   \"\\u00dc\" : [ \"\\u00ff\" ]\n}\n\n");
}

TEST(CheckedReads, WrongTypesGiveTheFallback) {
    const Json::Value root = Parse(R"({
        "int": 7, "negative": -3, "double": 2.0, "fraction": 2.5, "huge": 99999999999,
        "text": "12", "true": true, "array": [1, {"x": 1}], "object": {"k": "v"},
        "null": null })");
    struct Case {
        const char* key;
        int asInt;
        int inRange;  // 0..10
        bool asBool;
        std::string asString;
        bool isArray, isObject;
    };
    const Case cases[] = {
        {"int", 7, 7, true, "-", false, false},
        {"negative", -3, -1, true, "-", false, false},
        {"double", 2, 2, true, "-", false, false},
        {"fraction", -1, -1, false, "-", false, false},
        {"huge", -1, -1, true, "-", false, false},
        {"text", -1, -1, false, "12", false, false},
        {"true", -1, -1, true, "-", false, false},
        {"array", -1, -1, false, "-", true, false},
        {"object", -1, -1, false, "-", false, true},
        {"null", -1, -1, false, "-", false, false},
        {"missing", -1, -1, false, "-", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(JsonInt(root, c.key, -1), c.asInt);
        EXPECT_EQ(JsonIntIn(root, c.key, 0, 10, -1), c.inRange);
        EXPECT_EQ(JsonBool(root, c.key, false), c.asBool);
        EXPECT_EQ(JsonString(root, c.key, "-"), c.asString);
        EXPECT_EQ(JsonArray(root, c.key).size(), c.isArray ? 2u : 0u);
        EXPECT_TRUE(JsonArray(root, c.key).isArray());
        EXPECT_EQ(JsonObject(root, c.key).isMember("k"), c.isObject);
        // Reads inside a value of the wrong type: null, never an exception.
        EXPECT_TRUE(JsonMember(root[c.key], "x").isNull());
        EXPECT_TRUE(JsonElement(root[c.key], 5).isNull());
    }
    EXPECT_EQ(JsonInt(JsonElement(JsonArray(root, "array"), 1), "x", -1), 1);
    EXPECT_EQ(JsonInt(Json::Value("scalar"), "x", -1), -1);
}

TEST(CheckedWrites, WrongTypedContainersAreReplaced) {
    Json::Value root = Parse(R"({"Device": {"a": 1}, "List": 5})");
    JsonArrayMember(root, "Device").append(1);
    JsonObjectMember(root, "List")["k"] = 2;
    EXPECT_EQ(root, Parse(R"({"Device": [1], "List": {"k": 2}})"));
    Json::Value scalar("x");
    EXPECT_TRUE(JsonSetElement(scalar, 2, 9));
    EXPECT_EQ(scalar, Parse("[null, null, 9]"));
    EXPECT_FALSE(JsonSetElement(scalar, 4000000000u, 1));  // no huge allocation
    EXPECT_EQ(scalar.size(), 3u);
}

TEST(MakeProfileUUID, FormatsTheInjectedLocalTime) {
    const auto clock = [] { return LocalTime{2022, 2, 1, 9, 5, 3, 7}; };
    EXPECT_EQ(MakeProfileUUID(clock), "2022_02_01_09_05_03_007");
    EXPECT_EQ(FormatProfileUUID({2021, 11, 19, 14, 3, 7, 45}), "2021_11_19_14_03_07_045");
    EXPECT_TRUE(IsSafeFileStem(MakeProfileUUID()));
}

TEST(IsSafeFileStem, OnlyPlainNames) {
    struct Case {
        std::string name;
        bool safe;
    };
    const Case cases[] = {
        {"2021_11_19_14_03_07_045", true},
        {"velko_light.config", true},
        {"Macro-1", true},
        {"", false},
        {"..", false},
        {"../victim", false},
        {"a/b", false},
        {"/etc/passwd", false},
        {"..\\..\\x", false},
        {"a..b", false},
        {"c:x", false},
        {"name with space", false},
        {std::string("a\0b", 3), false},
        {"\xC3\x9C", false},
        {std::string(129, 'a'), false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSafeFileStem(c.name), c.safe) << c.name;
}

}  // namespace
