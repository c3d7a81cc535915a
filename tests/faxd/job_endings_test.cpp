// How the service tells the user about ended jobs: a desktop notification on
// a session bus of the test's own, served by a notification server written
// here, and the transmission report read back with pdftotext.
#include "private_session_bus.h"
#include "service_process.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

// The desktop's notification server, as far as the service uses it.
class TNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct TShown {
        uint Id;
        QString Summary;
        QString Body;
        QStringList Actions;
    };
    std::vector<TShown> Shown;

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        (void)app, (void)replaces, (void)icon, (void)hints, (void)timeout;
        Shown.push_back({static_cast<uint>(Shown.size() + 1), summary, body, actions});
        return Shown.back().Id;
    }
    void CloseNotification(uint id) { (void)id; }
};

bool WaitFor(const std::function<bool()>& done, int seconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        QThread::msleep(20);
    }
    return done();
}

std::string PdfText(const std::string& path)
{
    std::string text;
    if (FILE* pipe = popen(("pdftotext '" + path + "' - 2>&1").c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, got);
        pclose(pipe);
    }
    return text;
}

QJsonObject JobOf(const TServiceProcess& service, const QString& id)
{
    for (const QJsonValue& job : service.Ask({{"op", "jobs"}})["jobs"].toArray())
        if (job["id"].toString() == id)
            return job.toObject();
    return {};
}

} // namespace

TEST(JobEndings, AnnouncedOnTheDesktopReportedAndResentFromTheNotification)
{
    TTempDir dir;
    TPrivateSessionBus bus;
    std::string error;
    ASSERT_TRUE(bus.Start(dir / "bus", error)) << error;
    QDBusConnection connection = QDBusConnection::connectToBus(QString::fromStdString(bus.Address()), "notifications");
    ASSERT_TRUE(connection.isConnected());
    TNotificationServer server;
    ASSERT_TRUE(connection.registerObject("/org/freedesktop/Notifications", &server, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(connection.registerService("org.freedesktop.Notifications"));

    setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start("", {"--simulated-busy", "0399999999"}));
    std::string memo = dir.WriteFile("memo.txt", "月曜の打ち合わせの件\n");
    QJsonObject answer = service.Ask({{"op", "submit"},
                                      {"recipients", QJsonArray{"0312345678", "0399999999"}},
                                      {"body", QString::fromStdString(memo)}});
    ASSERT_TRUE(answer["ok"].toBool());
    QString doneId = answer["jobs"][0].toString(), failedId = answer["jobs"][1].toString();
    ASSERT_TRUE(WaitFor([&] { return server.Shown.size() >= 2; }, 180));

    auto shownFor = [&](const QString& number) {
        for (const auto& shown : server.Shown)
            if (shown.Body.contains(number))
                return shown;
        return TNotificationServer::TShown{};
    };
    TNotificationServer::TShown done = shownFor("0312345678"), failed = shownFor("0399999999");
    EXPECT_EQ(done.Summary, "FAX送信完了");
    EXPECT_TRUE(done.Body.contains("模擬回線")) << done.Body.toStdString();
    EXPECT_FALSE(done.Actions.contains("resend"));
    EXPECT_EQ(failed.Summary, "FAX送信失敗");
    EXPECT_TRUE(failed.Body.contains("話し中")) << failed.Body.toStdString();
    ASSERT_GE(failed.Actions.indexOf("resend"), 0);
    EXPECT_EQ(failed.Actions.value(failed.Actions.indexOf("resend") + 1), "再送");

    std::string doneReport = PdfText(dir / ("data/Reports/" + doneId.toStdString() + ".pdf"));
    for (const char* words : {"送信結果レポート", "0312345678", "送信完了", "模擬回線"})
        EXPECT_NE(doneReport.find(words), std::string::npos) << words << " not in\n" << doneReport;
    std::string failedReport = PdfText(dir / ("data/Reports/" + failedId.toStdString() + ".pdf"));
    for (const char* words : {"送信結果レポート", "0399999999", "送信失敗", "話し中"})
        EXPECT_NE(failedReport.find(words), std::string::npos) << words << " not in\n" << failedReport;

    // "再送": the busy number answers the second call.
    QDBusMessage invoked = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                      "org.freedesktop.Notifications", "ActionInvoked");
    invoked << failed.Id << QStringLiteral("resend");
    ASSERT_TRUE(connection.send(invoked));
    ASSERT_TRUE(WaitFor([&] { return server.Shown.size() >= 3; }, 180));
    QJsonArray jobs = service.Ask({{"op", "jobs"}})["jobs"].toArray();
    ASSERT_EQ(jobs.size(), 3);
    QJsonObject resent = jobs.last().toObject();
    EXPECT_EQ(resent["number"].toString(), "0399999999");
    EXPECT_EQ(resent["state"].toString(), "done");
    EXPECT_EQ(server.Shown.back().Summary, "FAX送信完了");
    EXPECT_EQ(JobOf(service, failedId)["state"].toString(), "failed");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

#include "job_endings_test.moc"
