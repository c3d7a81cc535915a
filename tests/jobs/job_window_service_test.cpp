// The job window on a real fax service: a fax being sent at line pace is
// cancelled with the window's button, then resent, and the window follows
// every change through its watch.
#include "job_form.h"
#include "service_jobs_client.h"
#include "service_process.h"
#include "temp_dir.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace {

bool WaitFor(const std::function<bool()>& done, int seconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    return done();
}

QString StateOfRow(const TJobForm& form, int row)
{
    QTableWidgetItem* item = form.StringGrid1->item(row, 0);
    return item ? item->text() : QString();
}

} // namespace

TEST(JobWindowOnTheService, CancelAndResendFromTheWindowAreFollowedLive)
{
    TTempDir dir;
    TServiceProcess service(dir / "data", dir / "run/socket");
    ASSERT_TRUE(service.Start("", {"--simulated-pace", "real"}));
    TServiceJobsClient client(service.SocketPath(), FaxdProgram());
    TJobForm form(client);
    QStringList opened;
    form.OpenPath = [&](const QString& path) {
        opened << path;
        return true;
    };
    form.FormCreate();
    EXPECT_TRUE(form.Label0->text().contains("模擬回線"));

    std::string memo = dir.WriteFile("memo.txt", "来週の予定表です\n");
    QJsonObject answer = service.Ask({{"op", "submit"}, {"recipients", QJsonArray{"0312345678"}},
                                      {"body", QString::fromStdString(memo)}, {"name", "鈴木工務店"}});
    ASSERT_TRUE(answer["ok"].toBool());
    ASSERT_TRUE(WaitFor([&] { return StateOfRow(form, 0) == "送信中"; }, 120)) << StateOfRow(form, 0).toStdString();
    EXPECT_EQ(form.StringGrid1->item(0, 1)->text(), "鈴木工務店");
    form.StringGrid1->selectRow(0);
    ASSERT_TRUE(form.Btn0->isEnabled());
    QTest::mouseClick(form.Btn0, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return StateOfRow(form, 0) == "送信取消"; }, 60));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "data/SentItems"));

    ASSERT_TRUE(form.Btn1->isEnabled());
    QTest::mouseClick(form.Btn1, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return form.StringGrid1->rowCount() == 2; }, 30));
    EXPECT_EQ(form.StringGrid1->currentRow(), 0) << "the resent job is not selected";
    EXPECT_EQ(form.StringGrid1->item(0, 1)->text(), "鈴木工務店");

    form.StringGrid1->selectRow(1);
    QTest::mouseClick(form.Btn2, Qt::LeftButton);
    QTest::mouseClick(form.Btn3, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList({QString::fromStdString(dir / "data/Reports/1.pdf"),
                                   QString::fromStdString(dir / "data/SentItems")}));
}
