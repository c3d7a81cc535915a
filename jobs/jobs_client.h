#pragma once

#include "faxproto/fax_messages.h"

#include <QMetaType>
#include <QObject>
#include <QString>

Q_DECLARE_METATYPE(TJobInfo)

// What the window may do with a job in the state it is in.
bool IsRunningJob(const TJobInfo& job);
bool IsResendableJob(const TJobInfo& job);
bool IsEndedJob(const TJobInfo& job);

// What the job window asks of the fax service. The window's tests give it a
// client of their own.
class TJobsClient : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Connects (starting the service when none answers) and follows the job
    // list: JobChanged comes once for every job now listed, then for every
    // change. False with a short error when the service cannot be reached.
    virtual bool Start(QString& error) = 0;

    virtual bool Cancel(const QString& id, QString& error) = 0;
    // The new job's id in newId.
    virtual bool Resend(const QString& id, QString& newId, QString& error) = 0;

    // The service's Sent Items folder, and a finished job's report.
    virtual QString SentItemsFolder() const = 0;
    virtual QString ReportPath(const QString& id) const = 0;
    // Whether the service sends on its simulated line (nothing leaves the machine).
    virtual bool SimulatedLine() const = 0;

signals:
    void JobChanged(const TJobInfo& job);
    // The connection to the service ended.
    void Lost(const QString& error);
};
