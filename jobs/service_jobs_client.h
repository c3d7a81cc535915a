#pragma once

#include "jobs_client.h"

#include "faxproto/fax_socket.h"

#include <QSocketNotifier>

#include <memory>
#include <string>

// The job window's client of the running fax service: one connection that
// watches the jobs, and one short connection per cancel or resend.
class TServiceJobsClient : public TJobsClient {
    Q_OBJECT
public:
    // program: the service to start when none answers at socketPath.
    TServiceJobsClient(std::string socketPath, std::string program, QObject* parent = nullptr);
    ~TServiceJobsClient() override;

    bool Start(QString& error) override;
    bool Cancel(const QString& id, QString& error) override;
    bool Resend(const QString& id, QString& newId, QString& error) override;
    QString SentItemsFolder() const override;
    QString ReportPath(const QString& id) const override;
    bool SimulatedLine() const override { return Service.Simulated; }

private:
    // One request on a connection of its own; the answer, or nothing with
    // error set.
    std::optional<TFaxAnswer> Ask(const TFaxRequest& request, QString& error) const;
    void ReadEvents();
    void Close();

    std::string SocketPath;
    std::string Program;
    TConnectAnswer Service;
    int WatchFd = -1;
    TLineBuffer Received;
    std::unique_ptr<QSocketNotifier> Notifier;
};
