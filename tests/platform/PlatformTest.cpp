#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"

namespace {

// Sets or clears one environment variable for the life of the object.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~CScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(Folders, FollowTheXdgVariables) {
    const CScopedEnv home("HOME", "/home/someone");
    struct Case {
        const char* value;  // of XDG_DATA_HOME and XDG_CONFIG_HOME
        const char* data;
        const char* config;
    };
    const Case cases[] = {
        {"/x/data", "/x/data/TOLMI Q318 Driver/", "/x/data/TOLMI Q318 Driver/"},
        {"/x/data/", "/x/data/TOLMI Q318 Driver/", "/x/data/TOLMI Q318 Driver/"},
        {nullptr, "/home/someone/.local/share/TOLMI Q318 Driver/",
         "/home/someone/.config/TOLMI Q318 Driver/"},
        {"relative", "/home/someone/.local/share/TOLMI Q318 Driver/",
         "/home/someone/.config/TOLMI Q318 Driver/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        const CScopedEnv data("XDG_DATA_HOME", c.value);
        const CScopedEnv config("XDG_CONFIG_HOME", c.value);
        EXPECT_EQ(LocalAppDataFolder(), c.data);
        EXPECT_EQ(ConfigFolder(), c.config);
    }
}

TEST(Folders, RuntimeFolderIsMadePrivate) {
    const CTempEnvironment env;
    const std::string folder = RuntimeFolder();
    EXPECT_EQ(folder, env.Root() + "/XDG_RUNTIME_DIR/tolmi-q318/");
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0) << "not created";
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const CScopedEnv unset("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(RuntimeFolder(), "/tmp/tolmi-q318-" + std::to_string(getuid()) + "/");
}

TEST(Folders, ProgramFolderHoldsTheTestProgram) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "tolmi_platform_tests"));
}

TEST(Folders, MakeFoldersMakesEveryLevel) {
    const CTempEnvironment env;
    EXPECT_TRUE(MakeFolders(env.Root() + "/a/b/c/"));
    EXPECT_TRUE(std::filesystem::is_directory(env.Root() + "/a/b/c"));
    EXPECT_TRUE(MakeFolders(env.Root() + "/a/b/c"));  // already there
}

TEST(DebugOutput, GoesToTheSinkOfTheTest) {
    std::string captured;
    SetDebugSink([&](std::string_view text) { captured += text; });
    DebugOutput("所有对象处于激发状态\n");
    SetDebugSink({});
    DebugOutput("not captured\n");
    EXPECT_EQ(captured, "所有对象处于激发状态\n");
}

}  // namespace
