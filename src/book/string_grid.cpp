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
    // A cell shows as much of its text as fits, from a small left margin, and
    // cuts the rest off rather than putting an ellipsis in its place.
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setStyleSheet(QStringLiteral("QTableWidget { background-color: #000080; color: white; gridline-color: #c0c0c0; }"
                                 "QTableWidget::item { padding: 0px 0px 0px 2px; }"));
    // A fax number is ten half-width digits and must show whole in its 77
    // pixels: after the window's own face, a Gothic whose digits are half an em.
    QFont cellFont = font();
    cellFont.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAGothic")});
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
