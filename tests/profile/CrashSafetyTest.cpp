// A process that rewrites a profile in a loop is killed at random moments; the file must
// always hold one complete profile, never a mix or a fragment.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "ProfileTestSupport.h"
#include "profile/JsonFile.h"
#include "profile/ProfileData.h"

namespace {

// Two records of very different sizes, so a torn write could not pass for either.
Json::Value Record(int generation) {
    Json::Value record;
    record["Generation"] = generation;
    const int keys = generation == 0 ? 5 : 400;
    for (int k = 0; k < keys; ++k) {
        Json::Value key;
        key["Index"] = k;
        key["Type"] = generation;
        key["Name"] = std::string(16, static_cast<char>('a' + k % 26));
        record["KeyList"].append(key);
    }
    return record;
}

[[noreturn]] void RewriteForever(const std::string& path) {
    CBasicProfiledata profile;
    profile.SetProfilePath(path);
    const Json::Value records[2] = {Record(0), Record(1)};
    for (int n = 0;; ++n) {
        profile.DeviceRecord() = records[n % 2];
        if (!profile.SaveRecord()) _exit(3);
    }
}

TEST(CrashSafety, KilledWriterNeverLeavesAPartialProfile) {
    CTempFolder folder;
    const std::string path = folder / "2022_02_01_09_05_03_007.Json";
    Json::Value start;
    start["profilename"] = "Mine";
    start["profileUUID"] = "2022_02_01_09_05_03_007";
    start["Device"][0] = Record(0);
    ASSERT_TRUE(WriteJsonFile(path, start));
    const Json::Value records[2] = {Record(0), Record(1)};

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    int kills = 0;
    for (; kills < 200 && std::chrono::steady_clock::now() < deadline; ++kills) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) RewriteForever(path);
        ::usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

        Json::Value root;
        ASSERT_TRUE(ReadJsonFile(path, root)) << "after kill " << kills;
        EXPECT_EQ(root["profilename"], "Mine");
        EXPECT_EQ(root["profileUUID"], "2022_02_01_09_05_03_007");
        const Json::Value& record = root["Device"][0];
        ASSERT_TRUE(record == records[0] || record == records[1]) << "after kill " << kills;
        EXPECT_FALSE(Exists(path + ".bad"));
    }
    EXPECT_GE(kills, 50);
}

}  // namespace
