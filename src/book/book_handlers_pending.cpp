// The destination list's click handler until the entry dialog is in place:
// a name or number cell chooses the destination; the other columns wait.
#include "app/main_window.h"
#include "book/string_grid.h"

void TForm1::StringGrid1Click(int column, int row) {
    std::string name = StringGrid1->Cell(2, row);
    std::string number = StringGrid1->Cell(3, row);
    if (number.empty()) return;
    if (column == 2 || column == 3) SelectDestination(name, number);
    if (column == 4) OpenHistoryFolder(name, number);
}

void TForm1::Btn3Click() {}
