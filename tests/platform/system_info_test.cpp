#include "platform/busy_cursor.h"
#include "platform/message_box.h"
#include "platform/system_info.h"

#include <QCursor>
#include <QGuiApplication>

#include <fstream>

#include <gtest/gtest.h>

TEST(SystemInfo, TheVersionRecordNeverReadsFivePointZero) {
    TOsVersionInfo info;
    ASSERT_TRUE(GetOsVersion(info));
    EXPECT_FALSE(info.MajorVersion == 5 && info.MinorVersion == 0);
    EXPECT_GT(info.MajorVersion, 0u);
}

TEST(SystemInfo, TheComputerNameIsTheHostName) {
    std::ifstream kernel("/proc/sys/kernel/hostname");
    std::string hostName;
    ASSERT_TRUE(std::getline(kernel, hostName));
    EXPECT_EQ(ReadComputerName(), hostName);
}

TEST(SystemInfo, SeamsCanBeReplacedForTheLifeOfAScope) {
    int waited = 0;
    {
        TScopedSeam<void(uint32_t)> noSleep(SleepSeam, [&waited](uint32_t ms) { waited += int(ms); });
        Sleep(2000);
    }
    EXPECT_EQ(waited, 2000);
    Sleep(0);  // the real pause again
    EXPECT_EQ(waited, 2000);
}

TEST(BusyCursor, IsShownForTheLifeOfTheGuard) {
    {
        TBusyCursor busy;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(WorkArea, IsThePrimaryScreensAvailableGeometry) {
    // The offscreen platform's one screen is 800 × 800; right and bottom lie
    // just outside the area, as the work area's edges do.
    TWorkArea area = GetWorkArea();
    EXPECT_EQ(area.Left, 0);
    EXPECT_EQ(area.Top, 0);
    EXPECT_EQ(area.Right, 800);
    EXPECT_EQ(area.Bottom, 800);
}
