#include "inbox_form.h"

#include "forward_dialog.h"
#include "named_button.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TInboxForm::TInboxForm(TInboxClient& client, QWidget* parent) : QWidget(parent), Client(client) {
    BookDestinations = [] { return std::vector<std::pair<QString, QString>>(); };
    AskForwardNumber = [this](const std::vector<std::pair<QString, QString>>& destinations) {
        TForwardDialog dialog(destinations, this);
        return dialog.exec() == QDialog::Accepted ? dialog.Number() : QString();
    };
    CreateControls();
    Client.FaxArrived = [this](const TInboxFax& fax) {
        Refresh();
        Label0->setText(QStringLiteral("FAX受信: %1").arg(TFaxViewer::Describe(fax)));
    };
}

void TInboxForm::CreateControls() {
    setObjectName(QStringLiteral("TInboxForm"));
    StringGrid1 = new QTableWidget(0, 4, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("受信日時"), QStringLiteral("発信元"), QStringLiteral("枚数"), QStringLiteral("回線")});
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setWordWrap(false);
    for (int column : {0, 2, 3}) StringGrid1->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    StringGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    Btn0 = MakeNamedButton(this, "Btn0", QStringLiteral("開く"));
    Btn1 = MakeNamedButton(this, "Btn1", QStringLiteral("転送"));
    Btn2 = MakeNamedButton(this, "Btn2", QStringLiteral("削除"));
    Btn3 = MakeNamedButton(this, "Btn3", QStringLiteral("未読に戻す"));
    Label0 = new QLabel(this);
    Label0->setObjectName(QStringLiteral("Label0"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {Btn0, Btn1, Btn2, Btn3}) buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(buttons);
    layout->addWidget(Label0);

    connect(Btn0, &QPushButton::clicked, this, &TInboxForm::Btn0Click);
    connect(Btn1, &QPushButton::clicked, this, &TInboxForm::Btn1Click);
    connect(Btn2, &QPushButton::clicked, this, &TInboxForm::Btn2Click);
    connect(Btn3, &QPushButton::clicked, this, &TInboxForm::Btn3Click);
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { Btn0Click(); });
}

QString TInboxForm::LineCaption(const TInboxFax& fax) {
    if (fax.Simulated) return QStringLiteral("模擬回線");
    return fax.Line == "hylafax" ? QStringLiteral("HylaFAX") : Q(fax.Line);
}

bool TInboxForm::Refresh() {
    std::vector<TInboxFax> faxes;
    QString error;
    if (!Client.ListInbox(faxes, error)) {
        Label0->setText(QStringLiteral("受信一覧を取得できません: %1").arg(error));
        return false;
    }
    const TInboxFax* selected = SelectedFax();
    std::string keep = selected ? selected->Id : std::string();
    // Unread first; the service lists newest first and the sort keeps that order.
    std::stable_sort(faxes.begin(), faxes.end(), [](const TInboxFax& a, const TInboxFax& b) { return !a.Read && b.Read; });
    Listed = std::move(faxes);
    StringGrid1->setRowCount(static_cast<int>(Listed.size()));
    for (int row = 0; row < static_cast<int>(Listed.size()); ++row) {
        const TInboxFax& fax = Listed[static_cast<size_t>(row)];
        QString sender = Q(fax.Station.empty() ? fax.Number : fax.Station);
        QStringList cells = {Q(fax.Arrived).replace(QLatin1Char('T'), QLatin1Char(' ')),
                             sender.isEmpty() ? QStringLiteral("発信元不明") : sender, QString::number(fax.Pages),
                             LineCaption(fax)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            QFont font = item->font();
            font.setBold(!fax.Read);
            item->setFont(font);
            StringGrid1->setItem(row, column, item);
        }
    }
    Select(keep);
    bool any = !Listed.empty();
    for (QPushButton* button : {Btn0, Btn1, Btn2, Btn3}) button->setEnabled(any);
    return true;
}

const TInboxFax* TInboxForm::SelectedFax() const {
    int row = StringGrid1->currentRow();
    return row >= 0 && row < static_cast<int>(Listed.size()) ? &Listed[static_cast<size_t>(row)] : nullptr;
}

void TInboxForm::Select(const std::string& id) {
    for (int row = 0; row < static_cast<int>(Listed.size()); ++row)
        if (Listed[static_cast<size_t>(row)].Id == id) return StringGrid1->selectRow(row);
    if (!Listed.empty()) StringGrid1->selectRow(0);
}

bool TInboxForm::OpenFax(const QString& id) {
    auto found = std::find_if(Listed.begin(), Listed.end(), [&](const TInboxFax& fax) { return Q(fax.Id) == id; });
    if (found == Listed.end()) {
        Label0->setText(QStringLiteral("FAX %1 は受信一覧にありません。").arg(id));
        return false;
    }
    if (!ViewerWindow) {
        ViewerWindow = std::make_unique<TFaxViewer>();
        ViewerWindow->resize(900, 760);
        connect(ViewerWindow.get(), &TFaxViewer::ForwardRequested, this, &TInboxForm::Forward);
        connect(ViewerWindow.get(), &TFaxViewer::DeleteRequested, this, &TInboxForm::Delete);
    }
    TInboxFax fax = *found;
    QString error;
    ViewerWindow->setWindowTitle(QStringLiteral("FAX受信 - %1").arg(TFaxViewer::Describe(fax)));
    bool loaded = ViewerWindow->LoadFax(Client.FaxPath(id), fax, error);
    ViewerWindow->show();
    ViewerWindow->raise();
    if (loaded && !fax.Read && Client.MarkFax(id, true, error)) Refresh();
    return loaded;
}

void TInboxForm::Btn0Click() {
    if (const TInboxFax* fax = SelectedFax()) OpenFax(Q(fax->Id));
}

bool TInboxForm::Forward(const QString& id) {
    QString number = AskForwardNumber(BookDestinations());
    if (number.isEmpty()) return false;
    QString job, error;
    if (!Client.ForwardFax(id, number, job, error)) {
        Label0->setText(QStringLiteral("転送できません: %1").arg(error));
        return false;
    }
    Label0->setText(QStringLiteral("FAX %1 を %2 へ転送します（ジョブ %3）").arg(id, number, job));
    return true;
}

void TInboxForm::Btn1Click() {
    if (const TInboxFax* fax = SelectedFax()) Forward(Q(fax->Id));
}

bool TInboxForm::Delete(const QString& id) {
    QString error;
    if (!Client.DeleteFax(id, error)) {
        Label0->setText(QStringLiteral("削除できません: %1").arg(error));
        return false;
    }
    Label0->setText(QStringLiteral("FAX %1 をごみ箱に移しました。").arg(id));
    if (ViewerWindow && Q(ViewerWindow->Fax().Id) == id) ViewerWindow->close();
    Refresh();
    return true;
}

void TInboxForm::Btn2Click() {
    if (const TInboxFax* fax = SelectedFax()) Delete(Q(fax->Id));
}

void TInboxForm::Btn3Click() {
    const TInboxFax* fax = SelectedFax();
    QString error;
    if (fax && !Client.MarkFax(Q(fax->Id), false, error)) Label0->setText(error);
    Refresh();
}
