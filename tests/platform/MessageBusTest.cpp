#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QProcess>
#include <fstream>
#include <thread>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kToolName = "tolmi-q318-msg";

QString Tool() {
    return QString::fromStdString(ProgramFolder() + kToolName);
}

std::string BusFolder() {
    return RuntimeFolder() + "bus/";
}

struct BusArrival {
    std::string name;
    WPARAM wParam;
    LPARAM lParam;
};

class MessageBusTest : public ::testing::Test {
protected:
    CTempEnvironment m_env;
};

TEST_F(MessageBusTest, ReachesAnotherProcess) {
    QProcess listener;
    listener.start(Tool(), {"listen", "{TEST-EBF15}", "--count", "2", "--timeout", "10000"});
    ASSERT_TRUE(listener.waitForStarted(5000));

    // The listener is ready once a broadcast reaches it.
    QElapsedTimer clock;
    clock.start();
    int reached = 0;
    while (reached == 0 && clock.elapsed() < 5000 && listener.state() == QProcess::Running) {
        reached = CMessageBus::Broadcast("{test-ebf15}", 5, -7);
        if (reached == 0) QThread::msleep(5);
    }
    ASSERT_EQ(reached, 1) << listener.readAllStandardError().toStdString();
    EXPECT_EQ(CMessageBus::Broadcast("{TEST-EBF15}", UINTPTR_MAX, INTPTR_MIN), 1);

    ASSERT_TRUE(listener.waitForFinished(5000));
    EXPECT_EQ(listener.exitCode(), 0);
    EXPECT_EQ(listener.readAllStandardOutput().toStdString(),
              "{TEST-EBF15} 5 -7\n"
              "{TEST-EBF15} 18446744073709551615 -9223372036854775808\n");
}

TEST_F(MessageBusTest, AnotherProcessReachesThisOne) {
    const std::uint32_t number = RegisterWindowMessage("{TEST-EBF17}");
    CRecordingTarget window;
    std::vector<BusArrival> arrivals;
    CMessageBus bus;
    ASSERT_TRUE(bus.Listen(window.Window(), [&](const std::string& name, WPARAM w, LPARAM l) {
        arrivals.push_back({name, w, l});
    }));

    // The tool's broadcast runs without any event loop; the kernel queues the line.
    QProcess sender;
    sender.start(Tool(), {"broadcast", "{test-ebf17}", "1", "0x10"});
    ASSERT_TRUE(sender.waitForFinished(5000));
    EXPECT_EQ(sender.readAllStandardOutput().toStdString(), "1\n");

    ASSERT_TRUE(RunEventsUntil([&] { return window.Count() == 1; }));
    EXPECT_EQ(window.Received()[0].msg, number);
    EXPECT_EQ(window.Received()[0].wParam, 1u);
    EXPECT_EQ(window.Received()[0].lParam, 16);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].name, "{test-ebf17}");
}

TEST_F(MessageBusTest, IgnoresBadLinesAndUnknownNames) {
    const std::uint32_t number = RegisterWindowMessage("{TEST-KNOWN}");
    CRecordingTarget window;
    std::vector<BusArrival> arrivals;
    CMessageBus bus;
    ASSERT_TRUE(bus.Listen(window.Window(), [&](const std::string& name, WPARAM w, LPARAM l) {
        arrivals.push_back({name, w, l});
    }));

    QLocalSocket socket;  // this process's own socket, which broadcasts skip
    socket.connectToServer(
        QString::fromStdString(BusFolder() + std::to_string(getpid()) + ".sock"));
    ASSERT_TRUE(socket.waitForConnected(1000));
    const std::string lines[] = {
        "no tabs at all\n",
        "{TEST-KNOWN}\t1\n",
        "{TEST-KNOWN}\t1\t2\t3\n",
        "\t1\t2\n",
        "{TEST-KNOWN}\tx\t2\n",
        "{TEST-KNOWN}\t-1\t2\n",
        "{TEST-KNOWN}\t99999999999999999999999\t2\n",
        std::string(300, 'N') + "\t1\t2\n",
        "{TEST-KNOWN}\t3\t4\n",         // the one good line for this process
        "{TEST-UNKNOWN-NAME}\t5\t6\n",  // well formed, but never registered here
    };
    for (const std::string& line : lines) socket.write(line.data(), qint64(line.size()));
    ASSERT_TRUE(socket.waitForBytesWritten(1000));

    ASSERT_TRUE(RunEventsUntil([&] { return arrivals.size() == 2; }));
    RunEventsFor(20);
    EXPECT_EQ(arrivals[0].name, "{TEST-KNOWN}");
    EXPECT_EQ(arrivals[1].name, "{TEST-UNKNOWN-NAME}");
    EXPECT_EQ(arrivals.size(), 2u);
    ASSERT_EQ(window.Count(), 1u);
    EXPECT_EQ(window.Received()[0].msg, number);
    EXPECT_EQ(window.Received()[0].wParam, 3u);
    EXPECT_EQ(window.Received()[0].lParam, 4);
    EXPECT_EQ(LookupRegisteredMessage("{TEST-UNKNOWN-NAME}"), std::nullopt);
}

// A socket file whose process is gone: connecting to it is refused.
void MakeDeadSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

TEST_F(MessageBusTest, BroadcastRemovesDeadSockets) {
    ASSERT_TRUE(MakeFolders(BusFolder()));
    const std::string dead = BusFolder() + "2147483646.sock";  // above any pid
    MakeDeadSocket(dead);
    const std::string other = BusFolder() + "notes.txt";
    std::ofstream(other) << "not ours";

    EXPECT_EQ(CMessageBus::Broadcast("{TEST-EBF15}", 0, 1), 0);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(other));
}

TEST_F(MessageBusTest, BroadcastWorksFromAWorkerThread) {
    QProcess listener;
    listener.start(Tool(), {"listen", "{TEST-WORKER}", "--count", "1", "--timeout", "10000"});
    ASSERT_TRUE(listener.waitForStarted(5000));
    int reached = 0;
    std::thread([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (reached == 0 && std::chrono::steady_clock::now() < deadline) {
            reached = CMessageBus::Broadcast("{TEST-WORKER}", 2, 3);
            if (reached == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }).join();
    EXPECT_EQ(reached, 1);
    ASSERT_TRUE(listener.waitForFinished(5000));
    EXPECT_EQ(listener.readAllStandardOutput().toStdString(), "{TEST-WORKER} 2 3\n");
}

TEST(MessageBusTool, ListenTimesOutWithExitCodeOne) {
    CTempEnvironment env;
    QProcess listener;
    listener.start(Tool(), {"listen", "{TEST-NOBODY}", "--timeout", "50"});
    ASSERT_TRUE(listener.waitForFinished(5000));
    EXPECT_EQ(listener.exitCode(), 1);
    EXPECT_EQ(listener.readAllStandardOutput().toStdString(), "");
}

}  // namespace
