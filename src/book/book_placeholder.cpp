// Stands in for the destination book until its database lands: the grid shows
// one empty row and nothing is stored.
#include "book/book_grid.h"
#include "book/destination_book.h"

TBookGrid* BookGrid = nullptr;

bool UpdateBook(TBookAction action, const std::string&, const std::string&, const std::string&) {
    if (action != baList) return false;
    if (BookGrid) {
        BookGrid->SetRowCount(1);
        for (int c = 0; c < 5; ++c) BookGrid->SetCell(c, 0, "");
    }
    return true;
}

bool CreateBook() { return false; }

bool CompactBook(const std::string&, const std::string&) { return false; }
