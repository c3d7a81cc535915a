#include "job_form.h"

#include "app/controls.h"
#include "job_texts.h"
#include "platform/message_box.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QUrl>

#include <algorithm>

namespace {

enum TColumn { colState, colName, colNumber, colPages, colTime, colLine, colResult, colCount };

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

QString ShortTime(const TJobInfo& job)
{
    QDateTime time = QDateTime::fromString(Q(job.Finished.empty() ? job.Submitted : job.Finished), Qt::ISODate);
    return time.isValid() ? time.toString(QStringLiteral("MM/dd HH:mm")) : QString();
}

QString ResultText(const TJobInfo& job)
{
    if (job.State == "done") {
        QString text = Q(LineTimeCaption(job.LineSeconds));
        return job.StationId.empty() ? text : text + QStringLiteral("  相手先ID ") + Q(job.StationId);
    }
    if (IsResendableJob(job))
        return Q(ReasonCaption(job.Error));
    // What the line says while it works, when it says more than the state.
    return job.Status == "sending" ? QString() : Q(job.Status);
}

QStringList Cells(const TJobInfo& job)
{
    QStringList cells(colCount);
    cells[colState] = Q(StateCaption(job.State));
    cells[colName] = Q(job.Name);
    cells[colNumber] = Q(job.Number);
    cells[colPages] = job.Pages > 0 ? QString::number(job.Pages) : QString();
    cells[colTime] = ShortTime(job);
    cells[colLine] = job.Line.empty() && !job.Simulated ? QString() : Q(LineCaption(job.Line, job.Simulated));
    cells[colResult] = ResultText(job);
    return cells;
}

} // namespace

bool IsRunningJob(const TJobInfo& job)
{
    return job.State == "queued" || job.State == "rendering" || job.State == "sending";
}

bool IsResendableJob(const TJobInfo& job) { return job.State == "failed" || job.State == "cancelled"; }

bool IsEndedJob(const TJobInfo& job) { return job.State == "done" || IsResendableJob(job); }

TJobForm::TJobForm(TJobsClient& client, QWidget* parent) : QWidget(parent, Qt::Window), Client(client)
{
    setObjectName(QStringLiteral("JobForm"));
    setWindowTitle(QStringLiteral("Pelmor FAX送信状況"));
    SetWindowLook(this);
    setFixedSize(720, 360);
    OpenPath = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    CreateControls();
    connect(&Client, &TJobsClient::JobChanged, this, &TJobForm::JobChanged);
    connect(&Client, &TJobsClient::Lost, this, &TJobForm::Lost);
}

void TJobForm::CreateControls()
{
    const QFont base = font();
    StringGrid1 = new QTableWidget(0, colCount, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(4, 4, 712, 300);
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("状態"), QStringLiteral("宛先"), QStringLiteral("FAX番号"),
                                            QStringLiteral("枚数"), QStringLiteral("時刻"), QStringLiteral("回線"),
                                            QStringLiteral("結果・理由")});
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setFont(PixelFont(base, 12, false));
    const int widths[colCount] = {64, 112, 88, 36, 88, 64, 0};
    for (int column = 0; column + 1 < colCount; ++column)
        StringGrid1->setColumnWidth(column, widths[column]);
    connect(StringGrid1, &QTableWidget::itemSelectionChanged, this, &TJobForm::StringGrid1Click);

    struct TButtonSpec {
        QPushButton** Button;
        const char* Name;
        const char* Caption;
        int Left;
        int Width;
    };
    const TButtonSpec buttons[] = {
        {&Btn0, "Btn0", "送信取消", 4, 80},      {&Btn1, "Btn1", "再送", 88, 64},
        {&Btn2, "Btn2", "レポート", 156, 80},    {&Btn3, "Btn3", "送信済みフォルダ", 240, 120},
        {&Btn4, "Btn4", "閉じる", 652, 64},
    };
    for (const TButtonSpec& place : buttons) {
        *place.Button = new QPushButton(QString::fromUtf8(place.Caption), this);
        (*place.Button)->setObjectName(QString::fromLatin1(place.Name));
        (*place.Button)->setGeometry(place.Left, 310, place.Width, 24);
        (*place.Button)->setFont(PixelFont(base, 12, true));
    }
    connect(Btn0, &QPushButton::clicked, this, &TJobForm::Btn0Click);
    connect(Btn1, &QPushButton::clicked, this, &TJobForm::Btn1Click);
    connect(Btn2, &QPushButton::clicked, this, &TJobForm::Btn2Click);
    connect(Btn3, &QPushButton::clicked, this, &TJobForm::Btn3Click);
    connect(Btn4, &QPushButton::clicked, this, &QWidget::close);

    Label0 = new QLabel(this);
    Label0->setObjectName(QStringLiteral("Label0"));
    Label0->setGeometry(4, 338, 712, 18);
    Label0->setFont(PixelFont(base, 12, false));
    StringGrid1Click();
}

void TJobForm::FormCreate()
{
    QString error;
    if (!Client.Start(error)) {
        Lost(error);
        return;
    }
    Label0->setText(Client.SimulatedLine() ? QStringLiteral("模擬回線で送信中です。FAXは実際には送られません。")
                                           : QStringLiteral("FAXサービスに接続しました"));
}

void TJobForm::Lost(const QString& error)
{
    Label0->setText(QStringLiteral("FAXサービスに接続できません: ") + error);
    Btn0->setEnabled(false);
    Btn1->setEnabled(false);
}

int TJobForm::RowOf(const std::string& id) const
{
    for (int row = 0; row < Jobs.size(); ++row)
        if (Jobs[row].Id == id)
            return row;
    return -1;
}

void TJobForm::JobChanged(const TJobInfo& job)
{
    int row = RowOf(job.Id);
    if (row < 0) {
        // Newest first: by id, which grows with every job.
        row = 0;
        while (row < Jobs.size() && std::stoll("0" + Jobs[row].Id) > std::stoll("0" + job.Id))
            ++row;
        Jobs.insert(row, job);
        StringGrid1->insertRow(row);
    } else {
        Jobs[row] = job;
    }
    const QStringList cells = Cells(job);
    for (int column = 0; column < colCount; ++column) {
        QTableWidgetItem* item = StringGrid1->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            StringGrid1->setItem(row, column, item);
        }
        item->setText(cells[column]);
        if (job.State == "failed")
            item->setForeground(Qt::red);
        else
            item->setForeground(palette().color(QPalette::Text));
    }
    if (job.Id == SelectWhenListed) {
        SelectWhenListed.clear();
        StringGrid1->selectRow(row);
    }
    StringGrid1Click();
}

const TJobInfo* TJobForm::SelectedJob() const
{
    int row = StringGrid1->currentRow();
    if (row < 0 || row >= Jobs.size() || !StringGrid1->selectionModel()->isRowSelected(row, QModelIndex()))
        return nullptr;
    return &Jobs[row];
}

void TJobForm::SelectJob(const std::string& id)
{
    int row = RowOf(id);
    if (row >= 0)
        StringGrid1->selectRow(row);
    else
        SelectWhenListed = id;
}

void TJobForm::StringGrid1Click()
{
    const TJobInfo* job = SelectedJob();
    Btn0->setEnabled(job && IsRunningJob(*job));
    Btn1->setEnabled(job && IsResendableJob(*job));
    Btn2->setEnabled(job && IsEndedJob(*job));
}

void TJobForm::Btn0Click()
{
    const TJobInfo* job = SelectedJob();
    if (!job)
        return;
    QString error;
    if (!Client.Cancel(Q(job->Id), error))
        ShowMessage("送信を取り消せませんでした。\n" + S(error), "NG");
}

void TJobForm::Btn1Click()
{
    const TJobInfo* job = SelectedJob();
    if (!job)
        return;
    QString newId, error;
    if (!Client.Resend(Q(job->Id), newId, error)) {
        ShowMessage("再送できませんでした。\n" + S(error), "NG");
        return;
    }
    SelectJob(S(newId));
}

void TJobForm::Btn2Click()
{
    const TJobInfo* job = SelectedJob();
    if (!job)
        return;
    QString report = Client.ReportPath(Q(job->Id));
    if (!QFileInfo::exists(report)) {
        ShowMessage("このジョブの送信結果レポートがありません。", "残念");
        return;
    }
    OpenPath(report);
}

void TJobForm::Btn3Click()
{
    OpenPath(Client.SentItemsFolder());
}
