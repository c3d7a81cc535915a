// pelmor-jobs: the job window of the local fax service.
#include "job_form.h"
#include "service_jobs_client.h"

#include "automation/fax/fax_service_settings.h"
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
    parser.process(app);

    TServiceJobsClient client(parser.value(socket).toStdString(), DefaultFaxProgram());
    TJobForm form(client);
    form.show();
    form.FormCreate();
    return app.exec();
}
