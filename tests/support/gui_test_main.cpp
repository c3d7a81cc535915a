// The main of the widget tests: a QApplication on the offscreen platform.
#include "platform/application.h"
#include "platform/message_box.h"
#include "platform/qt_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    InstallQtPlatform();
    // A modal box would wait for a click that never comes: a test that expects
    // one records it with TMessageBoxRecorder; any other box fails the test.
    MessageBoxSeam.Replace([](const std::string& text, const std::string& caption, TMessageButtons buttons) {
        ADD_FAILURE() << "unexpected message box: " << caption << ": " << text;
        return buttons == mbYesNo ? mrNo : mrOK;
    });
    return RUN_ALL_TESTS();
}
