// The main window's handlers for the destination list and the add button.
#include "app/main_window.h"
#include "book/destination_book.h"
#include "book/entry_dialog.h"
#include "book/string_grid.h"
#include "platform/message_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The one entry dialog; while it is open it covers the main window, so a
// second request only brings it back to the front.
TForm2* OpenEntryDialog(QWidget* mainWindow) {
    if (Form2) {
        Form2->raise();
        Form2->activateWindow();
        return nullptr;
    }
    return new TForm2(mainWindow);
}

} // namespace

void TForm1::StringGrid1Click(int column, int row) {
    std::string name = StringGrid1->Cell(2, row);
    std::string number = StringGrid1->Cell(3, row);
    if (number.empty()) return;  // the single row of an empty book
    switch (column) {
    case 0:
        if (ShowMessage("削除OK?", name + " " + number, mbYesNo) == mrYes) UpdateBook(baDelete, {}, number);
        break;
    case 1:
        if (TForm2* dialog = OpenEntryDialog(this)) {
            dialog->Edit0->setText(QString::fromStdString(name));
            dialog->Edit1->setText(QString::fromStdString(number));
            dialog->Label2->setText(QString::fromStdString(number));
            dialog->Btn1->setText(QStringLiteral("OK(再登録)"));
        }
        break;
    case 2:
    case 3: SelectDestination(name, number); break;
    case 4: OpenHistoryFolder(name, number); break;
    default: break;
    }
}

void TForm1::Btn3Click() {
    if (TForm2* dialog = OpenEntryDialog(this)) {
        dialog->Label2->setText(QString());
        dialog->Btn1->setText(QStringLiteral("OK(登録)"));
    }
}
