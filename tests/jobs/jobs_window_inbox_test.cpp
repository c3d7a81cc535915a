// The 受信 page of pelmor-jobs on a real fax service: a fax received on the
// simulated line reaches the list through the watch, bold and unread; opened
// by id it shows in the viewer and is marked read; forwarded it becomes a job
// of the 送信 page.
#include "jobs_window.h"
#include "service_jobs_client.h"
#include "service_process.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

bool WaitFor(const std::function<bool()>& done, int seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return done();
}

}  // namespace

TEST(JobsWindowInbox, AnArrivalIsListedLiveOpenedByIdAndForwarded) {
    TTempDir dir;
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start());
    TServiceJobsClient client(service.SocketPath(), FaxdProgram());
    TJobsWindow window(client);
    window.FormCreate();
    EXPECT_EQ(window.Inbox->StringGrid1->rowCount(), 0);

    std::string memo = dir.WriteFile("memo.txt", "受信の確認です\n");
    QJsonObject received = service.Ask({{"op", "receive"}, {"body", QString::fromStdString(memo)}, {"from", "0312345678"}});
    ASSERT_TRUE(received["ok"].toBool()) << received["error"].toString().toStdString();
    ASSERT_TRUE(WaitFor([&] { return window.Inbox->StringGrid1->rowCount() == 1; }, 30));
    EXPECT_EQ(window.Inbox->StringGrid1->item(0, 1)->text(), "0312345678");
    EXPECT_EQ(window.Inbox->StringGrid1->item(0, 3)->text(), "模擬回線");
    EXPECT_TRUE(window.Inbox->StringGrid1->item(0, 1)->font().bold());

    QString id = received["fax"].toObject()["id"].toString();
    TJobsWindow opened(client);
    opened.FormCreate(id);
    EXPECT_EQ(opened.currentWidget(), opened.Inbox);
    ASSERT_NE(opened.Inbox->Viewer(), nullptr);
    EXPECT_EQ(opened.Inbox->Viewer()->PageCount(), 1);
    EXPECT_TRUE(service.Ask({{"op", "inbox"}})["faxes"][0]["read"].toBool());

    opened.Inbox->AskForwardNumber = [](const std::vector<std::pair<QString, QString>>&) {
        return QStringLiteral("0612345678");
    };
    opened.Inbox->Btn1Click();
    ASSERT_TRUE(WaitFor([&] { return window.Jobs->StringGrid1->rowCount() == 1; }, 30));
    EXPECT_TRUE(WaitFor([&] { return service.Ask({{"op", "jobs"}})["jobs"][0]["state"] == "done"; }, 60));
}
