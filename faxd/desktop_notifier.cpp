#include "desktop_notifier.h"

#include "job_texts.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

#include <cstdio>

namespace {

const QString NotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString NotificationsInterface = QStringLiteral("org.freedesktop.Notifications");
// A call to the notification server waits at most this long.
constexpr int CallTimeoutMs = 3000;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QDBusMessage NotificationCall(const QString& method)
{
    return QDBusMessage::createMethodCall(NotificationsService, NotificationsPath, NotificationsInterface, method);
}

} // namespace

TDesktopNotifier::TDesktopNotifier(TResend resend, TOpenJobWindow openJobWindow)
    : Resend(std::move(resend)), OpenJobWindow(std::move(openJobWindow))
{
}

QString TDesktopNotifier::Summary(const TFaxJob& job)
{
    return job.State == jsDone ? QStringLiteral("FAX送信完了") : QStringLiteral("FAX送信失敗");
}

QString TDesktopNotifier::Body(const TFaxJob& job, bool markup)
{
    QString body = Q(DestinationCaption(job.Name, job.Number));
    if (job.State == jsDone)
        body += QStringLiteral("  %1枚").arg(job.Pages);
    else
        body += QLatin1Char('\n') + Q(ReasonCaption(job.Error));
    if (job.Simulated)
        body += QStringLiteral("\n%1（相手先には届いていません）").arg(Q(LineCaption(job.Line, true)));
    return markup ? body.toHtmlEscaped() : body;
}

void TDesktopNotifier::Announce(const TFaxJob& job)
{
    if (job.State != jsDone && job.State != jsFailed)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, id = Q(job.Id), summary = Summary(job), plain = Body(job, false), marked = Body(job, true),
         failed = job.State == jsFailed] {
            Attach();
            Show(id, summary, Markup ? marked : plain, failed);
        },
        Qt::QueuedConnection);
}

void TDesktopNotifier::Attach()
{
    if (Attached)
        return;
    Attached = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(NotificationsService, NotificationsPath, NotificationsInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(NotificationsService, NotificationsPath, NotificationsInterface,
                QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
    QDBusReply<QStringList> capabilities = bus.call(NotificationCall(QStringLiteral("GetCapabilities")),
                                                    QDBus::Block, CallTimeoutMs);
    Markup = capabilities.isValid() && capabilities.value().contains(QStringLiteral("body-markup"));
}

void TDesktopNotifier::Show(const QString& jobId, const QString& summary, const QString& body, bool failed)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QStringList actions = {QStringLiteral("default"), QStringLiteral("ジョブ一覧")};
    if (failed)
        actions << QStringLiteral("resend") << QStringLiteral("再送");
    QVariantMap hints;
    hints[QStringLiteral("category")] = failed ? QStringLiteral("transfer.error") : QStringLiteral("transfer.complete");
    QDBusMessage call = NotificationCall(QStringLiteral("Notify"));
    call << QStringLiteral("Pelmor") << uint(0) << QStringLiteral("printer") << summary << body << actions << hints
         << int(-1);
    QDBusReply<uint> reply = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.isValid())
        Shown[reply.value()] = jobId.toStdString();
}

void TDesktopNotifier::OnActionInvoked(uint notificationId, const QString& action)
{
    auto shown = Shown.find(notificationId);
    if (shown == Shown.end())
        return;
    if (action == QStringLiteral("resend")) {
        std::string newId, error;
        if (!Resend(shown->second, newId, error))
            std::fprintf(stderr, "pelmor-faxd: resending job %s: %s\n", shown->second.c_str(), error.c_str());
    } else if (action == QStringLiteral("default") && OpenJobWindow) {
        OpenJobWindow();
    }
}

void TDesktopNotifier::OnClosed(uint notificationId, uint reason)
{
    (void)reason;
    Shown.erase(notificationId);
}
