#include "message_box_recorder.h"
#include "platform/busy_cursor.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

TEST(GeneralErrorReport, AnErrorEscapingAHandlerIsShownAndEndsOnlyThatEvent) {
    TMessageBoxRecorder boxes;
    QPushButton failing;
    QPushButton working;
    int clicks = 0;
    QObject::connect(&failing, &QPushButton::clicked, [] {
        SetBusyCursor(true);
        throw std::runtime_error("Disk full");
    });
    QObject::connect(&working, &QPushButton::clicked, [&clicks] { ++clicks; });

    QTest::mouseClick(&failing, Qt::LeftButton);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().Text, "Disk full");
    EXPECT_EQ(boxes.Last().Buttons, mbOK);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // the busy cursor does not stay

    QTest::mouseClick(&working, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(boxes.Count(), 1u);
}
