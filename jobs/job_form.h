#pragma once

#include "jobs_client.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include <functional>

// The job window: the fax service's jobs, newest first, kept up to date as
// they change, with buttons to cancel a running job, resend a failed or
// cancelled one, open a finished job's transmission report and open the Sent
// Items folder.
class TJobForm : public QWidget {
    Q_OBJECT
public:
    explicit TJobForm(TJobsClient& client, QWidget* parent = nullptr);

    // Connects the client and lists the jobs; shows the error otherwise.
    void FormCreate();

    // How a file or folder is opened: the desktop's opener. Tests replace it.
    std::function<bool(const QString& path)> OpenPath;

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* Btn0 = nullptr; // 送信取消
    QPushButton* Btn1 = nullptr; // 再送
    QPushButton* Btn2 = nullptr; // レポート
    QPushButton* Btn3 = nullptr; // 送信済みフォルダ
    QPushButton* Btn4 = nullptr; // 閉じる
    QLabel* Label0 = nullptr;    // what the service says

    void Btn0Click();
    void Btn1Click();
    void Btn2Click();
    void Btn3Click();
    void StringGrid1Click();

private:
    void CreateControls();
    void JobChanged(const TJobInfo& job);
    void Lost(const QString& error);
    int RowOf(const std::string& id) const;
    const TJobInfo* SelectedJob() const;
    void SelectJob(const std::string& id);

    TJobsClient& Client;
    QList<TJobInfo> Jobs; // in the grid's order
    std::string SelectWhenListed; // a resent job's id until the service lists it
};
