#pragma once

#include "book/book_grid.h"

#include <QTableWidget>

// The destination grid: five columns of text cells, no fixed rows or columns,
// navy with white text. UpdateBook fills it through TBookGrid.
class TStringGrid : public QTableWidget, public TBookGrid {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int RowCount() const override;
    void SetRowCount(int rows) override;
    std::string Cell(int column, int row) const override;
    void SetCell(int column, int row, const std::string& text) override;
};
