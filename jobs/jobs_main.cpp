// pelmor-jobs: the job window of the local fax service.
#include "book_destinations.h"
#include "jobs_window.h"
#include "service_jobs_client.h"

#include "app/app_state.h"
#include "automation/fax/fax_service_settings.h"
#include "automation/jet/jet_servers.h"
#include "platform/application.h"
#include "platform/qt_platform.h"

#include <QCommandLineParser>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("pelmor-jobs"));
    InstallQtPlatform();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The jobs of Pelmor's fax service."));
    parser.addHelpOption();
    QCommandLineOption socket(QStringLiteral("socket"), QStringLiteral("The fax service's socket."),
                              QStringLiteral("PATH"), QString::fromStdString(DefaultFaxSocketPath()));
    parser.addOption(socket);
    QCommandLineOption fax(QStringLiteral("fax"), QStringLiteral("Show this received fax."), QStringLiteral("ID"));
    parser.addOption(fax);
    parser.process(app);

    // The destination book, for forwarding.
    InitAppPaths(ResolveAppDir(QCoreApplication::applicationDirPath().toStdString()));
    RegisterJetServers();

    TServiceJobsClient client(parser.value(socket).toStdString(), DefaultFaxProgram());
    TJobsWindow window(client);
    window.Inbox->BookDestinations = &ReadBookDestinations;
    window.show();
    window.FormCreate(parser.value(fax));
    return app.exec();
}
