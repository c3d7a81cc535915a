#include "book/string_grid.h"

#include <QHeaderView>

namespace {
constexpr int ColumnWidths[5] = {34, 31, 135, 77, 31};
}

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(1, 5, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    for (int c = 0; c < 5; ++c) setColumnWidth(c, ColumnWidths[c]);
    verticalHeader()->setDefaultSectionSize(18);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setStyleSheet(QStringLiteral("QTableWidget { background-color: #000080; color: white; gridline-color: #c0c0c0; }"));
    QFont cellFont = font();
    cellFont.setPixelSize(13);
    setFont(cellFont);
}

int TStringGrid::RowCount() const { return rowCount(); }

void TStringGrid::SetRowCount(int rows) { setRowCount(rows); }

std::string TStringGrid::Cell(int column, int row) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text().toStdString() : std::string();
}

void TStringGrid::SetCell(int column, int row, const std::string& text) {
    QTableWidgetItem* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        setItem(row, column, cell);
    }
    cell->setText(QString::fromStdString(text));
}
