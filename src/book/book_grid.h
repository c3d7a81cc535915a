#pragma once

#include <string>

// The destination grid as the book's operations see it: rows of five text
// cells. The main window's StringGrid1 implements it.
class TBookGrid {
public:
    virtual ~TBookGrid() = default;
    virtual int RowCount() const = 0;
    virtual void SetRowCount(int rows) = 0;
    virtual std::string Cell(int column, int row) const = 0;
    virtual void SetCell(int column, int row, const std::string& text) = 0;
};

// The grid UpdateBook refills; set by the main window when it is created.
extern TBookGrid* BookGrid;
