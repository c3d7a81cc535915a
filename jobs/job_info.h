#pragma once

#include <QMetaType>
#include <QString>

// One job as the fax service lists it.
struct TJobInfo {
    QString Id;
    QString Number;
    QString Name;
    QString State;      // queued, rendering, sending, done, failed, cancelled
    int Pages = 0;
    double LineSeconds = 0;
    QString StationId;  // the far end's station id
    QString Error;
    QString Status;     // the line's last words while it runs
    QString Line;
    bool Simulated = false;
    QString Submitted;  // local time, ISO 8601
    QString Finished;

    bool Running() const { return State == "queued" || State == "rendering" || State == "sending"; }
    bool Resendable() const { return State == "failed" || State == "cancelled"; }
    bool Ended() const { return State == "done" || Resendable(); }
};
Q_DECLARE_METATYPE(TJobInfo)
