// Tray icon where the desktop has no notification area (the offscreen platform).
#include <gtest/gtest.h>

#include "UiTestSupport.h"

namespace {

TEST(Tray, WithoutANotificationAreaTheIconIsInert) {
    if (CTrayIcon::IsAvailable()) GTEST_SKIP() << "this desktop has a notification area";
    CTrayIcon tray;
    EXPECT_TRUE(tray.Create(kNoWindow, "common/app_icon.png", "TOLMI Q318 Driver"));
    tray.SetToolTip("tip");
    tray.SetIcon("missing.png");
    tray.Show();
    EXPECT_FALSE(tray.IsVisible());
    tray.Hide();
    tray.Remove();
    tray.Remove();
}

}  // namespace
