#include "platform/application.h"
#include "platform/qt_platform.h"

#include <QWidget>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    InstallQtPlatform();
    QWidget window;
    window.resize(452, 383);
    window.show();
    return app.exec();
}
