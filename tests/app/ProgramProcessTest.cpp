// The program as a user runs it: real processes, offscreen.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "AppTestSupport.h"

namespace {

std::string Program() {
    return BinDir() + "tolmi-q318";
}

// True once the running program listens on the message bus.
bool BusIsUp(const std::string& root) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(root + "/run/tolmi-q318/bus", ec))
        if (entry.path().extension() == ".sock") return true;
    return false;
}

class ProgramProcessTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (m_first.state() != QProcess::NotRunning) {
            m_first.kill();
            m_first.waitForFinished(3000);
        }
    }
    CTempFolder m_root;
    QProcess m_first;
};

TEST_F(ProgramProcessTest, SecondStartRaisesTheFirstAndEndsWithoutWindow) {
    m_first.setProcessEnvironment(ChildEnvironment(m_root.Path()));
    m_first.start(QString::fromStdString(Program()), {});
    ASSERT_TRUE(m_first.waitForStarted(5000));
    ASSERT_TRUE(RunEventsUntil([&] { return BusIsUp(m_root.Path()); }, 15000))
        << m_first.readAllStandardError().toStdString();

    QProcess second;
    second.setProcessEnvironment(ChildEnvironment(m_root.Path()));
    second.start(QString::fromStdString(Program()), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // The second process never built a window: no initialisation line.
    EXPECT_EQ(second.readAllStandardError().indexOf("InitWindow"), -1);

    // The first answers the instance message by showing and raising itself.
    QByteArray firstOutput;
    EXPECT_TRUE(RunEventsUntil(
        [&] {
            firstOutput += m_first.readAllStandardError();
            return firstOutput.contains("软件标示 ");
        },
        5000))
        << firstOutput.toStdString();
    EXPECT_EQ(m_first.state(), QProcess::Running);
}

TEST_F(ProgramProcessTest, ScreenshotWritesTheFittedMainWindow) {
    const std::string file = m_root.Path() + "/main.png";
    QProcess shot;
    shot.setProcessEnvironment(ChildEnvironment(m_root.Path()));
    shot.start(QString::fromStdString(Program()), {"--screenshot", QString::fromStdString(file)});
    ASSERT_TRUE(shot.waitForFinished(20000));
    EXPECT_EQ(shot.exitCode(), 0) << shot.readAllStandardError().toStdString();
    const QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 1000);
    EXPECT_EQ(image.height(), 640);
}

TEST_F(ProgramProcessTest, ScreenshotRunsBesideARunningInstance) {
    m_first.setProcessEnvironment(ChildEnvironment(m_root.Path()));
    m_first.start(QString::fromStdString(Program()), {});
    ASSERT_TRUE(m_first.waitForStarted(5000));
    ASSERT_TRUE(RunEventsUntil([&] { return BusIsUp(m_root.Path()); }, 15000));
    const std::string file = m_root.Path() + "/beside.png";
    QProcess shot;
    shot.setProcessEnvironment(ChildEnvironment(m_root.Path()));
    shot.start(QString::fromStdString(Program()), {"--screenshot", QString::fromStdString(file)});
    ASSERT_TRUE(shot.waitForFinished(20000));
    EXPECT_EQ(shot.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(file));
}

}  // namespace

namespace {

// The program copied into a folder of its own, with a skin the test writes.
class BrokenSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(BinDir() + "tolmi-q318", m_folder.Path() + "/tolmi-q318");
        std::filesystem::copy(BinDir() + "DefaultData", m_folder.Path() + "/DefaultData",
                              std::filesystem::copy_options::recursive);
    }
    // Runs a screenshot; returns the exit code and keeps stderr.
    int RunScreenshot() {
        QProcess shot;
        shot.setProcessEnvironment(ChildEnvironment(m_folder.Path() + "/home"));
        shot.start(QString::fromStdString(m_folder.Path() + "/tolmi-q318"),
                   {"--screenshot", QString::fromStdString(m_folder.Path() + "/shot.png")});
        EXPECT_TRUE(shot.waitForFinished(20000));
        m_errors = shot.readAllStandardError().toStdString();
        return shot.exitStatus() == QProcess::NormalExit ? shot.exitCode() : -1;
    }
    CTempFolder m_folder;
    std::string m_errors;
};

TEST_F(BrokenSkinTest, MissingSkinFolderIsReportedAndTheWindowStillComesUp) {
    EXPECT_EQ(RunScreenshot(), 0) << m_errors;
    EXPECT_NE(m_errors.find("res.xml"), std::string::npos) << m_errors;
}

TEST_F(BrokenSkinTest, MalformedMainLayoutNamesFileLineAndColumn) {
    m_folder.Write("skin/res.xml", "<Res><Xml id=\"XML_MAIN\" path=\"main.xml\"/></Res>");
    m_folder.Write("skin/main.xml",
                   "<Window size=\"1000,640\">\n<VerticalLayout>\n<Label name=\"a\">\n</Window>");
    EXPECT_EQ(RunScreenshot(), 0) << m_errors;
    EXPECT_NE(m_errors.find("main.xml"), std::string::npos) << m_errors;
    EXPECT_NE(m_errors.find(":4"), std::string::npos) << m_errors;  // the line of the bad end tag
}

}  // namespace
