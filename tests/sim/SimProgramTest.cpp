// The simulator program and the command-line tool, run as the user runs them: the tool
// finds the simulated mouse on the bus and reads its information block.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "device/channel/CommandChannel.h"
#include "device/hid/HidBackend.h"
#include "platform/Platform.h"
#include "sim/MouseFirmware.h"
#include "sim/MouseSim.h"
#include "tests/device/channel/HexBytes.h"
#include "tests/sim/TempFolder.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A child process with stdout on a pipe and TOLMI_VHID_DIR set; killed if still running
// when it goes.
class CChildProcess {
public:
    CChildProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::string& busFolder) {
        std::vector<std::string> environment{"TOLMI_VHID_DIR=" + busFolder};
        for (char** entry = environ; *entry; ++entry)
            if (!std::string_view(*entry).starts_with("TOLMI_VHID_DIR="))
                environment.push_back(*entry);
        std::vector<char*> envp;
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::vector<std::string> argvText{program};
        argvText.insert(argvText.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : argvText) argv.push_back(arg.data());
        argv.push_back(nullptr);

        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        m_out = out[0];
    }
    ~CChildProcess() {
        if (m_pid > 0 && !m_exitCode) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) close(m_out);
    }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    void Signal(int signal) const { kill(m_pid, signal); }
    // All of stdout, up to the end of the process's output.
    std::string ReadAll() {
        std::string text;
        char buffer[4096];
        for (ssize_t size; (size = read(m_out, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(size));
        return text;
    }
    // The exit code, or nothing when it still runs after `timeout` (or died by a signal).
    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        const auto giveUp = Clock::now() + timeout;
        while (!m_exitCode) {
            int status = 0;
            const pid_t done = waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (done < 0 || Clock::now() >= giveUp) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return m_exitCode;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::optional<int> m_exitCode;
};

struct ToolResult {
    std::optional<int> exitCode;
    std::string out;
};

ToolResult RunTool(const std::vector<std::string>& args, const std::string& busFolder) {
    CChildProcess tool(ProgramFolder() + "tolmi-q318-ctl", args, busFolder);
    if (!tool.Started()) return {};
    ToolResult result;
    result.out = tool.ReadAll();
    result.exitCode = tool.Wait(std::chrono::seconds(20));
    return result;
}

Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder reader;
    std::string errors;
    std::istringstream in(text);
    Json::parseFromStream(reader, in, &value, &errors);
    return value;
}

std::size_t CountJsonFiles(const std::string& folder) {
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().extension() == ".json") ++count;
    return count;
}

const Json::Value* FindPathEndingIn(const Json::Value& list, std::string_view end) {
    for (const Json::Value& entry : list)
        if (entry["path"].asString().ends_with(end)) return &entry;
    return nullptr;
}

TEST(SimProgram, ToolFindsAndReadsTheSimulatedMouse) {
    CTempFolder bus;
    ASSERT_FALSE(bus.Path().empty());
    CChildProcess simulator(ProgramFolder() + "tolmi-q318-sim", {"mouse"}, bus.Path());
    ASSERT_TRUE(simulator.Started());
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    while (CountJsonFiles(bus.Path()) < 2 && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(CountJsonFiles(bus.Path()), 2u);

    const ToolResult list = RunTool({"list", "--json"}, bus.Path());
    ASSERT_EQ(list.exitCode, 0) << list.out;
    const Json::Value interfaces = ParseJson(list.out);
    const Json::Value* command = FindPathEndingIn(interfaces, "#vid_0c45&pid_6656&mi_01&col04");
    const Json::Value* notification = FindPathEndingIn(interfaces, "&col03");
    ASSERT_TRUE(command && notification) << list.out;
    EXPECT_EQ((*command)["vendor_id"].asInt(), 0x0C45);
    EXPECT_EQ((*command)["product_id"].asInt(), 0x6656);
    EXPECT_EQ((*command)["interface"].asInt(), 1);
    EXPECT_EQ((*command)["collection"].asInt(), 4);
    EXPECT_EQ((*command)["usage_page"].asInt(), 0xFF1C);
    EXPECT_EQ((*command)["usage"].asInt(), 0x92);
    EXPECT_EQ((*command)["input_report_length"].asInt(), 64);
    EXPECT_EQ((*command)["output_report_length"].asInt(), 64);
    EXPECT_EQ((*command)["kind"].asInt(), 2);
    EXPECT_EQ((*notification)["collection"].asInt(), 3);
    EXPECT_EQ((*notification)["usage_page"].asInt(), 0x0C);
    EXPECT_EQ((*notification)["input_report_length"].asInt(), 3);
    EXPECT_EQ((*notification)["kind"].asInt(), 2);

    const ToolResult info = RunTool({"info", (*command)["path"].asString(), "--json"}, bus.Path());
    ASSERT_EQ(info.exitCode, 0) << info.out;
    const Json::Value block = ParseJson(info.out);
    const DeviceInfoBlock expected = PlainMouseConfig().info;
    ASSERT_EQ(block["info"].size(), expected.size()) << info.out;
    for (Json::ArrayIndex i = 0; i < expected.size(); ++i)
        EXPECT_EQ(block["info"][i].asInt(), expected[i]) << "byte " << i;
    EXPECT_EQ(block["key_slot_count"].asInt(), 16);
    EXPECT_EQ(block["macro_capacity"].asInt(), 4096);
    EXPECT_EQ(block["dpi_step"].asInt(), 100);
    EXPECT_EQ(block["minimum_dpi"].asInt(), 200);

    simulator.Signal(SIGTERM);
    EXPECT_EQ(simulator.Wait(std::chrono::seconds(20)), 0);
    EXPECT_EQ(CountJsonFiles(bus.Path()), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(bus.Path()));
}

TEST(SimProgram, ToolExitCodes) {
    CTempFolder bus;
    ASSERT_FALSE(bus.Path().empty());
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{}, 2},
        {{"list", "extra"}, 2},
        {{"info"}, 2},
        {{"frob"}, 2},
        {{"info", "vhid:gone#vid_0c45&pid_6656&mi_01&col04"}, 1},
        {{"info", "/dev/hidraw-none"}, 1},
        {{"list", "--json"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(RunTool(c.args, bus.Path()).exitCode, c.exitCode);
    }
    // hidraw interfaces of the machine may be listed, but nothing from the empty bus.
    const Json::Value list = ParseJson(RunTool({"list", "--json"}, bus.Path()).out);
    ASSERT_TRUE(list.isArray());
    for (const Json::Value& entry : list)
        EXPECT_FALSE(entry["path"].asString().starts_with("vhid:"));
}

// What `mouse --state` prints for the running mouse NAME.
ToolResult RunSimState(const std::vector<std::string>& args, const std::string& busFolder) {
    std::vector<std::string> all{"mouse", "--state"};
    all.insert(all.end(), args.begin(), args.end());
    CChildProcess sim(ProgramFolder() + "tolmi-q318-sim", all, busFolder);
    if (!sim.Started()) return {};
    ToolResult result;
    result.out = sim.ReadAll();
    result.exitCode = sim.Wait(std::chrono::seconds(20));
    return result;
}

// Asks again until the state holds `line` or 20 s pass; the last answer.
std::string WaitForState(const std::string& busFolder, const std::string& line) {
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    std::string out;
    for (;;) {
        out = RunSimState({"--name", "m1"}, busFolder).out;
        if (out.find(line) != std::string::npos || Clock::now() >= giveUp) return out;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

TEST(SimProgram, StateShowsTheRecordTheHostWroteAndTheDpiButton) {
    CTempFolder bus;
    ASSERT_FALSE(bus.Path().empty());
    EXPECT_EQ(RunSimState({}, bus.Path()).exitCode, 1);  // nothing running yet
    CChildProcess simulator(ProgramFolder() + "tolmi-q318-sim", {"mouse", "--name", "m1"},
                            bus.Path());
    ASSERT_TRUE(simulator.Started());
    EXPECT_NE(WaitForState(bus.Path(), "stage 1: unused").find("active stage: 1"),
              std::string::npos);

    // Stages 1 and 2 at indexes 8 and 16, stage 2 active, ff8000 and 0080ff; polling
    // index 1; static lighting, brightness 4, speed 0, colour 00ff00.
    const std::vector<std::uint8_t> record = FromHex(
        "00 00 04 00 00 00 00 ff 00 00 00 00 00 00 01 08"
        "10 00 00 01 00 00 00 00 ff 80 00 00 80 ff");
    std::vector<std::uint8_t> full(kMouseStateSize, 0);
    std::copy(record.begin(), record.end(), full.begin());
    CCommandChannel channel({MakeVirtualHidBackend(bus.Path())});
    ASSERT_TRUE(channel.Open(VirtualInterfacePath(MouseCommandInterface("m1-col04"))));
    ASSERT_EQ(channel.WriteMemory(0, full), kResultOk);

    EXPECT_EQ(WaitForState(bus.Path(), "active stage: 2"),
              "mouse m1\n"
              "current slot: 0\n"
              "active stage: 2\n"
              "stage 1: 1000 dpi (index 8), colour ff8000\n"
              "stage 2: 1800 dpi (index 16), colour 0080ff\n"
              "stage 3: unused\n"
              "stage 4: unused\n"
              "stage 5: unused\n"
              "polling rate: 250 Hz (index 1)\n"
              "lighting: mode 0, brightness 4, speed 0, direction 0, multicolour 0, "
              "colour 00ff00\n");

    simulator.Signal(SIGUSR1);  // the DPI button: back to stage 1
    EXPECT_NE(WaitForState(bus.Path(), "active stage: 1").find("active stage: 1"),
              std::string::npos);
    std::vector<std::uint8_t> active(1);
    ASSERT_EQ(channel.ReadMemory(19, active), kResultOk);
    EXPECT_EQ(active[0], 0);
    channel.Close();

    simulator.Signal(SIGTERM);
    EXPECT_EQ(simulator.Wait(std::chrono::seconds(20)), 0);
    EXPECT_TRUE(std::filesystem::is_empty(bus.Path()));
}

}  // namespace
