#include "fax_job.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QJsonValue& value) { return value.toString().toStdString(); }

} // namespace

const char* JobStateName(TJobState state)
{
    switch (state) {
    case jsQueued: return "queued";
    case jsRendered: return "rendered";
    case jsHanding: return "handing";
    case jsHanded: return "handed";
    case jsSent: return "sent";
    case jsFailing: return "failing";
    case jsCancelling: return "cancelling";
    case jsDone: return "done";
    case jsFailed: return "failed";
    case jsCancelled: return "cancelled";
    }
    return "queued";
}

bool IsFinalState(TJobState state)
{
    return state == jsDone || state == jsFailed || state == jsCancelled;
}

TJobState EndState(TJobState state)
{
    switch (state) {
    case jsSent: return jsDone;
    case jsFailing: return jsFailed;
    case jsCancelling: return jsCancelled;
    default: return state;
    }
}

bool JobStateFromName(const std::string& name, TJobState& state)
{
    for (TJobState s : {jsQueued, jsRendered, jsHanding, jsHanded, jsSent, jsFailing, jsCancelling, jsDone, jsFailed,
                        jsCancelled})
        if (name == JobStateName(s)) {
            state = s;
            return true;
        }
    return false;
}

std::string PublicStateName(const TFaxJob& job)
{
    switch (job.State) {
    case jsQueued: return job.Rendering ? "rendering" : "queued";
    // Done and failed only once the job has been filed.
    case jsRendered:
    case jsHanding:
    case jsHanded:
    case jsSent:
    case jsFailing:
    case jsCancelling: return "sending";
    case jsDone: return "done";
    case jsFailed: return "failed";
    case jsCancelled: return "cancelled";
    }
    return "queued";
}

TJobInfo PublicJobInfo(const TFaxJob& job)
{
    TJobInfo info;
    info.Id = job.Id;
    info.Number = job.Number;
    info.State = PublicStateName(job);
    info.Pages = job.Pages;
    info.Error = job.Error;
    info.Line = job.Line;
    info.Simulated = job.Simulated;
    info.RemoteId = job.RemoteId;
    info.Status = job.Status;
    info.Submitted = job.Submitted;
    info.Finished = job.Finished;
    info.Name = job.Name;
    info.LineSeconds = job.LineSeconds;
    info.StationId = job.StationId;
    return info;
}

std::string EncodeJob(const TFaxJob& job)
{
    QJsonObject o;
    o["id"] = Q(job.Id);
    o["number"] = Q(job.Number);
    if (!job.Name.empty())
        o["name"] = Q(job.Name);
    if (!job.ResendOf.empty())
        o["resend_of"] = Q(job.ResendOf);
    o["type"] = BodyTypeName(job.BodyType);
    o["state"] = JobStateName(job.State);
    o["submitted"] = Q(job.Submitted);
    if (!job.Finished.empty())
        o["finished"] = Q(job.Finished);
    o["line"] = Q(job.Line);
    o["simulated"] = job.Simulated;
    o["remote_id"] = Q(job.RemoteId);
    if (!job.StationId.empty())
        o["station_id"] = Q(job.StationId);
    o["status"] = Q(job.Status);
    o["error"] = Q(job.Error);
    o["pages"] = job.Pages;
    o["bit_rate"] = job.BitRate;
    if (!job.Media.empty())
        o["media"] = Q(job.Media);
    o["line_seconds"] = job.LineSeconds;
    o["wall_seconds"] = job.WallSeconds;
    o["render_seconds"] = job.RenderSeconds;
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

bool DecodeJob(const std::string& text, TFaxJob& job)
{
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    QJsonObject o = document.object();
    TFaxJob read;
    read.Id = S(o["id"]);
    read.Number = S(o["number"]);
    read.Name = S(o["name"]);
    read.ResendOf = S(o["resend_of"]);
    read.BodyType = BodyTypeFromName(S(o["type"]));
    if (read.Id.empty() || !JobStateFromName(S(o["state"]), read.State))
        return false;
    read.Submitted = S(o["submitted"]);
    read.Finished = S(o["finished"]);
    read.Line = S(o["line"]);
    read.Simulated = o["simulated"].toBool();
    read.RemoteId = S(o["remote_id"]);
    read.StationId = S(o["station_id"]);
    read.Status = S(o["status"]);
    read.Error = S(o["error"]);
    read.Pages = o["pages"].toInt();
    read.BitRate = o["bit_rate"].toInt();
    read.Media = S(o["media"]);
    read.LineSeconds = o["line_seconds"].toDouble();
    read.WallSeconds = o["wall_seconds"].toDouble();
    read.RenderSeconds = o["render_seconds"].toDouble();
    job = std::move(read);
    return true;
}

const char* BodyExtension(TBodyType type)
{
    switch (type) {
    case btText: return "txt";
    case btBmp: return "bmp";
    case btJpeg: return "jpg";
    case btPng: return "png";
    case btTiff: return "tif";
    case btPdf: return "pdf";
    case btUnknown: return "bin";
    default: break;
    }
    // An office document's name is its usual extension.
    return BodyTypeName(type);
}

std::string LocalTimeNow()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
}
