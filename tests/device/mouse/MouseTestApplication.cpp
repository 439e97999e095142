// The device objects are UI elements: one application object for the whole run.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class CApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override {
        // Tests never need a display.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "mouse_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// gtest owns registered environments.
[[maybe_unused]] testing::Environment* const g_application =
    testing::AddGlobalTestEnvironment(new CApplicationEnvironment);

}  // namespace
