#include "book/entry_dialog.h"

#include "app/controls.h"
#include "book/destination_book.h"
#include "book/fax_number.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm2* Form2 = nullptr;

namespace {

template <class T>
T* Place(T* control, const char* name, int left, int top, int width = -1, int height = -1) {
    control->setObjectName(QString::fromLatin1(name));
    if (width < 0) {
        control->adjustSize();
        width = control->width();
        height = control->height();
    }
    control->setGeometry(left, top, width, height);
    return control;
}

QLabel* WhiteBoldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(PixelFont(parent->font(), 12, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

TForm2::TForm2(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Takes the main window's font, as a child control would.
    setAttribute(Qt::WA_WindowPropagation);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);

    Label0 = Place(WhiteBoldLabel(QStringLiteral("名前"), this), "Label0", 127, 67);
    Edit0 = Place(new QLineEdit(this), "Edit0", 127, 80, 207, 19);
    Edit0->setFont(PixelFont(font(), 15, false));
    AskForJapaneseInput(Edit0);
    Label1 = Place(WhiteBoldLabel(QStringLiteral("FAX番号"), this), "Label1", 127, 124, 51, 12);
    Edit1 = Place(new QLineEdit(this), "Edit1", 127, 136, 90, 19);
    FitNumberField(*Edit1, 16);
    Edit1->setAttribute(Qt::WA_InputMethodEnabled, false);
    Label2 = Place(new QLabel(this), "Label2", 192, 24, 73, 12);
    Label2->hide();
    Btn1 = Place(new QPushButton(this), "Btn1", 168, 224, 95, 25);
    Btn1->setFont(PixelFont(font(), 15, true));
    Btn0 = Place(new QPushButton(QStringLiteral("Cancel"), this), "Btn0", 168, 288, 95, 25);
    Btn0->setFont(PixelFont(font(), 16, true));
    Btn1->setAutoDefault(false);
    Btn0->setAutoDefault(false);

    connect(Btn1, &QPushButton::clicked, this, &TForm2::Btn1Click);
    connect(Btn0, &QPushButton::clicked, this, &TForm2::Btn0Click);
    Form2 = this;
    FormCreate(mainWindow);
    show();
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::FormCreate(QWidget* mainWindow) {
    if (mainWindow) setGeometry(mainWindow->geometry());
}

void TForm2::Btn1Click() {
    std::string number = Edit1->text().toStdString();
    if (!CheckFaxNumber(number)) return;
    std::string name = Edit0->text().toStdString();
    if (name.empty()) return;
    if (UpdateBook(baReplace, name, number, Label2->text().toStdString())) close();
}

void TForm2::Btn0Click() { close(); }
