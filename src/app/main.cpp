#include "app/app_state.h"
#include "app/main_window.h"
#include "automation/register_servers.h"
#include "platform/application.h"
#include "platform/qt_platform.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Pelmor"));
    InstallQtPlatform();
    RegisterBuiltInServers();
    TForm1 form;
    form.FormCreate(ResolveAppDir(QCoreApplication::applicationDirPath().toStdString()));
    form.show();
    return app.exec();
}
