#include "app/app_state.h"
#include "app/main_window.h"
#include "automation/office/office_servers.h"
#include "automation/register_servers.h"
#include "platform/application.h"
#include "platform/qt_platform.h"
#include "send/print_inbox.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Pelmor"));
    InstallQtPlatform();
    RegisterBuiltInServers();
    TForm1 form;
    form.FormCreate(ResolveAppDir(QCoreApplication::applicationDirPath().toStdString()));
    form.StartPrintInbox(TPrintInbox::UserFolder());
    form.show();
    int result = app.exec();
    // The resident LibreOffice, if a document was converted, ends with us.
    ShutdownOfficeConverter();
    return result;
}
