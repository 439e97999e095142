#include <gtest/gtest.h>

#include <QProcess>
#include <fstream>

#include "TestSupport.h"

namespace {

// A second process that takes the lock and holds it until closed.
class CLockHolder {
public:
    explicit CLockHolder(const std::string& name) {
        m_process.start(QString::fromStdString(ProgramFolder() + "tolmi_platform_lock_helper"),
                        {QString::fromStdString(name)});
    }
    ~CLockHolder() { Close(); }

    // "first" or "another"; empty when the helper did not answer.
    std::string Answer() {
        if (!m_process.waitForStarted(5000)) return {};
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        return m_process.readLine().trimmed().toStdString();
    }
    void Close() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(1000);
    }

private:
    QProcess m_process;
};

class SingleInstanceLockTest : public ::testing::Test {
protected:
    CTempEnvironment m_env;
};

TEST_F(SingleInstanceLockTest, SecondProcessSeesTheFirst) {
    CLockHolder other(kProductName);
    ASSERT_EQ(other.Answer(), "first");
    {
        const CSingleInstanceLock lock(kProductName);
        EXPECT_TRUE(lock.AnotherInstanceRuns());
    }
    other.Close();  // the lock goes with the process
    const CSingleInstanceLock lock(kProductName);
    EXPECT_FALSE(lock.AnotherInstanceRuns());

    CLockHolder third(kProductName);
    EXPECT_EQ(third.Answer(), "another");
}

TEST_F(SingleInstanceLockTest, NamesAreSeparate) {
    const CSingleInstanceLock lock(kProductName);
    ASSERT_FALSE(lock.AnotherInstanceRuns());
    CLockHolder other("TOLMI Q318 Driver/other");
    EXPECT_EQ(other.Answer(), "first");
}

TEST_F(SingleInstanceLockTest, NoLockFileMeansFirstInstance) {
    const std::string blocker = m_env.Root() + "/plain-file";
    std::ofstream(blocker) << "x";
    setenv("XDG_RUNTIME_DIR", blocker.c_str(), 1);  // no folder can be made below a file
    const CSingleInstanceLock lock(kProductName);
    EXPECT_FALSE(lock.AnotherInstanceRuns());
}

}  // namespace
