#pragma once

#include <QApplication>

// The application object. An error that escapes an event handler ends only
// that event: its text is shown in a message box and the event loop goes on.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
