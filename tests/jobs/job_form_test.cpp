// The job window against a client of the test's own: what it lists, and
// what its buttons ask of the service.
#include "job_form.h"
#include "jobs_client.h"
#include "message_box_recorder.h"
#include "temp_dir.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

class TFakeJobsClient : public TJobsClient {
public:
    QStringList Calls;
    QString Folder;
    bool Refuse = false;

    bool Start(QString& error) override
    {
        Calls << "start";
        error = "no service";
        return !Refuse;
    }
    bool Cancel(const QString& id, QString& error) override
    {
        Calls << "cancel " + id;
        error = "the job has ended";
        return !Refuse;
    }
    bool Resend(const QString& id, QString& newId, QString& error) override
    {
        Calls << "resend " + id;
        newId = "9";
        error = "the file of the job is gone";
        return !Refuse;
    }
    QString SentItemsFolder() const override { return Folder + "/SentItems"; }
    QString ReportPath(const QString& id) const override { return Folder + "/Reports/" + id + ".pdf"; }
    bool SimulatedLine() const override { return true; }

    void Change(const QString& id, const QString& state, const QString& error = {})
    {
        TJobInfo job;
        job.Id = id.toStdString();
        job.Number = "03123456" + id.rightJustified(2, '0').toStdString();
        job.Name = "山田商事";
        job.State = state.toStdString();
        job.Error = error.toStdString();
        job.Line = "simulated";
        job.Simulated = true;
        emit JobChanged(job);
    }
};

QString Cell(const TJobForm& form, int row, int column) { return form.StringGrid1->item(row, column)->text(); }

class JobFormTest : public ::testing::Test {
protected:
    TTempDir Dir;
    TFakeJobsClient Client;
    TJobForm Form{Client};
    QStringList Opened;

    void SetUp() override
    {
        Client.Folder = QString::fromStdString(Dir.Path().string());
        Form.OpenPath = [this](const QString& path) {
            Opened << path;
            return true;
        };
        Form.FormCreate();
    }
    void Select(int row) { Form.StringGrid1->selectRow(row); }
};

} // namespace

TEST_F(JobFormTest, ListsNewestFirstAndChangesARowInPlace)
{
    Client.Change("2", "sending");
    Client.Change("10", "queued");
    Client.Change("2", "failed", "busy");
    ASSERT_EQ(Form.StringGrid1->rowCount(), 2);
    EXPECT_EQ(Cell(Form, 0, 0), "待機中");
    EXPECT_EQ(Cell(Form, 1, 0), "送信失敗");
    EXPECT_EQ(Cell(Form, 1, 1), "山田商事");
    EXPECT_EQ(Cell(Form, 1, 5), "模擬回線");
    EXPECT_EQ(Cell(Form, 1, 6), "話し中");
}

TEST_F(JobFormTest, ButtonsActOnTheSelectedJobAsItsStateAllows)
{
    Client.Change("1", "done");
    Client.Change("2", "failed", "busy");
    Client.Change("3", "sending");
    Select(0); // job 3, running
    EXPECT_TRUE(Form.Btn0->isEnabled());
    EXPECT_FALSE(Form.Btn1->isEnabled());
    EXPECT_FALSE(Form.Btn2->isEnabled());
    QTest::mouseClick(Form.Btn0, Qt::LeftButton);

    Select(1); // job 2, failed
    EXPECT_FALSE(Form.Btn0->isEnabled());
    ASSERT_TRUE(Form.Btn1->isEnabled());
    QTest::mouseClick(Form.Btn1, Qt::LeftButton);
    EXPECT_EQ(Client.Calls, QStringList({"start", "cancel 3", "resend 2"}));

    Select(2); // job 1, done: its report, once there is one
    TMessageBoxRecorder boxes;
    QTest::mouseClick(Form.Btn2, Qt::LeftButton);
    ASSERT_EQ(boxes.Count(), 1u);
    Dir.WriteFile("Reports/1.pdf", "%PDF");
    QTest::mouseClick(Form.Btn2, Qt::LeftButton);
    QTest::mouseClick(Form.Btn3, Qt::LeftButton);
    EXPECT_EQ(Opened, QStringList({Client.Folder + "/Reports/1.pdf", Client.Folder + "/SentItems"}));
}

TEST_F(JobFormTest, RefusalsAreShownAndTheNewJobOfAResendIsSelected)
{
    Client.Change("4", "cancelled", "cancelled");
    Select(0);
    QTest::mouseClick(Form.Btn1, Qt::LeftButton);
    Client.Change("9", "queued");
    EXPECT_EQ(Form.StringGrid1->currentRow(), 0);
    EXPECT_EQ(Cell(Form, 0, 0), "待機中");

    Client.Refuse = true;
    Select(1);
    TMessageBoxRecorder boxes;
    QTest::mouseClick(Form.Btn1, Qt::LeftButton);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().Text.find("the file of the job is gone"), std::string::npos);
    Form.FormCreate();
    EXPECT_TRUE(Form.Label0->text().contains("no service"));
    EXPECT_FALSE(Form.Btn0->isEnabled());
}
