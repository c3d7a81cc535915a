#include "platform/application.h"

#include "platform/busy_cursor.h"
#include "platform/message_box.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        while (overrideCursor()) restoreOverrideCursor();
        ReportApplicationError(error.what());
    } catch (...) {
        while (overrideCursor()) restoreOverrideCursor();
        ReportApplicationError("Unknown error");
    }
    return true;
}
