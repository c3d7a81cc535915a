#include "forward_dialog.h"

#include "faxproto/fax_messages.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TForwardDialog::TForwardDialog(const std::vector<std::pair<QString, QString>>& destinations, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TForwardDialog"));
    setWindowTitle(QStringLiteral("FAX転送"));
    Label0 = new QLabel(QStringLiteral("転送先のFAX番号を入力するか、一覧から選んでください。"), this);
    Label0->setObjectName(QStringLiteral("Label0"));
    Edit0 = new QLineEdit(this);
    Edit0->setObjectName(QStringLiteral("Edit0"));
    Edit0->setMaxLength(40);
    ListBox0 = new QListWidget(this);
    ListBox0->setObjectName(QStringLiteral("ListBox0"));
    for (const auto& [name, number] : destinations) {
        auto* item = new QListWidgetItem(QStringLiteral("%1  %2").arg(name, number), ListBox0);
        item->setData(Qt::UserRole, number);
    }
    Btn0 = new QPushButton(QStringLiteral("転送"), this);
    Btn0->setObjectName(QStringLiteral("Btn0"));
    Btn0->setDefault(true);
    Btn1 = new QPushButton(QStringLiteral("キャンセル"), this);
    Btn1->setObjectName(QStringLiteral("Btn1"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Btn0);
    buttons->addWidget(Btn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label0);
    layout->addWidget(Edit0);
    layout->addWidget(ListBox0, 1);
    layout->addLayout(buttons);

    connect(ListBox0, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) Edit0->setText(item->data(Qt::UserRole).toString());
    });
    connect(ListBox0, &QListWidget::itemDoubleClicked, this, [this] {
        if (Btn0->isEnabled()) accept();
    });
    connect(Edit0, &QLineEdit::textChanged, this, &TForwardDialog::NumberChanged);
    connect(Btn0, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn1, &QPushButton::clicked, this, &QDialog::reject);
    NumberChanged();
}

void TForwardDialog::NumberChanged() { Btn0->setEnabled(IsValidFaxNumber(Number().toStdString())); }
