// How the service tells the user about ended jobs: a desktop notification on
// a session bus of the test's own, served by a notification server written
// here, and the transmission report read back with pdftotext.
#include "private_session_bus.h"
#include "service_process.h"
#include "temp_dir.h"

#include "durable/unique_fd.h"
#include "faxproto/fax_socket.h"
#include "faxproto/inbox_messages.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <csignal>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A desktop of the test's own: a private session bus with the notification
// server on it, given to the processes the test starts.
struct TTestDesktop {
    TPrivateSessionBus Bus;
    TNotificationServer Server;
    QDBusConnection Connection{QString()};

    bool Start(const std::string& folder, const QString& name, std::string& error)
    {
        if (!Bus.Start(folder, error))
            return false;
        Connection = QDBusConnection::connectToBus(QString::fromStdString(Bus.Address()), name);
        if (!Connection.isConnected()
            || !Connection.registerObject("/org/freedesktop/Notifications", &Server, QDBusConnection::ExportAllSlots)
            || !Connection.registerService("org.freedesktop.Notifications")) {
            error = "cannot serve notifications on the private bus";
            return false;
        }
        setenv("DBUS_SESSION_BUS_ADDRESS", Bus.Address().c_str(), 1);
        return true;
    }
    ~TTestDesktop() { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }
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
    TTestDesktop desktop;
    std::string error;
    ASSERT_TRUE(desktop.Start(dir / "bus", "notifications", error)) << error;
    TNotificationServer& server = desktop.Server;
    QDBusConnection& connection = desktop.Connection;
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
}

namespace {

// The processes left to this one (it adopts orphans) whose name is name.
std::vector<pid_t> AdoptedProcesses(const std::string& name)
{
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        size_t close = line.rfind(')');
        if (close == std::string::npos || line.substr(line.find('(') + 1, close - line.find('(') - 1) != name)
            continue;
        int parent = 0;
        char state = 0;
        std::istringstream(line.substr(close + 2)) >> state >> parent;
        if (parent == getpid())
            found.push_back(std::stoi(pid));
    }
    return found;
}

} // namespace

// A fax that arrives is announced with its sender and pages; the
// notification's action opens it in pelmor-jobs' viewer, which marks it read.
// A watch hears of the arrival too.
TEST(JobEndings, ArrivalAnnouncedStreamedAndOpenedFromTheNotification)
{
    // pelmor-jobs is started detached by the service: it comes back to this
    // process when its parent goes, and is stopped by its PID below.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    TTempDir dir;
    TTestDesktop desktop;
    std::string error;
    ASSERT_TRUE(desktop.Start(dir / "bus", "arrivals", error)) << error;
    TNotificationServer& server = desktop.Server;
    QDBusConnection& connection = desktop.Connection;
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start());

    sockaddr_un address{};
    ASSERT_TRUE(MakeSocketAddress(service.SocketPath(), address));
    TUniqueFd watch(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_EQ(connect(watch.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    timeval limit{30, 0};
    setsockopt(watch.Get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ASSERT_TRUE(SendLine(watch.Get(), R"({"op":"watch"})"));

    std::string memo = dir.WriteFile("memo.txt", "受信の通知です\n");
    QJsonObject received = service.Ask({{"op", "receive"}, {"body", QString::fromStdString(memo)}, {"from", "0312345678"}});
    ASSERT_TRUE(received["ok"].toBool()) << received["error"].toString().toStdString();
    QString id = received["fax"].toObject()["id"].toString();

    TLineBuffer lines;
    std::string line;
    std::optional<TInboxFax> arrival;
    char buffer[4096];
    while (!arrival) {
        ssize_t got = recv(watch.Get(), buffer, sizeof buffer, 0);
        ASSERT_GT(got, 0) << "the watch heard nothing of the fax";
        lines.Append(buffer, static_cast<size_t>(got));
        while (!arrival && lines.TakeLine(line))
            arrival = DecodeFaxEvent(line);
    }
    EXPECT_EQ(arrival->Id, id.toStdString());
    EXPECT_EQ(arrival->Station, "0312345678");

    ASSERT_TRUE(WaitFor([&] { return !server.Shown.empty(); }, 30));
    const TNotificationServer::TShown shown = server.Shown.back();
    EXPECT_EQ(shown.Summary, "FAX受信");
    EXPECT_TRUE(shown.Body.contains("0312345678 から 1ページ")) << shown.Body.toStdString();
    EXPECT_TRUE(shown.Body.contains("模擬回線")) << shown.Body.toStdString();
    EXPECT_EQ(shown.Actions.value(shown.Actions.indexOf("default") + 1), "表示");

    QDBusMessage invoked = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                      "org.freedesktop.Notifications", "ActionInvoked");
    invoked << shown.Id << QStringLiteral("default");
    ASSERT_TRUE(connection.send(invoked));
    EXPECT_TRUE(WaitFor([&] { return service.Ask({{"op", "inbox"}})["faxes"][0]["read"].toBool(); }, 60))
        << "pelmor-jobs did not show the fax";
    for (int i = 0; i < 100 && AdoptedProcesses("pelmor-jobs").empty(); ++i)
        QThread::msleep(20);
    std::vector<pid_t> windows = AdoptedProcesses("pelmor-jobs");
    EXPECT_EQ(windows.size(), 1u);
    for (pid_t window : windows) {
        kill(window, SIGTERM);
        waitpid(window, nullptr, 0);
    }
}

#include "job_endings_test.moc"
