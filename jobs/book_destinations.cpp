#include "book_destinations.h"

#include "app/app_state.h"
#include "book/book_files.h"
#include "book/book_grid.h"
#include "book/destination_book.h"

namespace {

// Takes the rows UpdateBook lists: name in column 2, number in column 3.
class TCollectingGrid : public TBookGrid {
public:
    std::vector<std::vector<std::string>> Rows;
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    void SetRowCount(int rows) override { Rows.resize(static_cast<size_t>(rows), std::vector<std::string>(5)); }
    std::string Cell(int column, int row) const override {
        return Rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
    }
    void SetCell(int column, int row, const std::string& text) override {
        Rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    }
};

}  // namespace

std::vector<std::pair<QString, QString>> ReadBookDestinations() {
    std::vector<std::pair<QString, QString>> destinations;
    // Listing opens the book; it must not make one where there is none.
    if (AppDir.empty() || !BookFileExists(BookPath())) return destinations;
    TCollectingGrid grid;
    TBookGrid* shown = BookGrid;
    BookGrid = &grid;
    bool listed = UpdateBook(baList);
    BookGrid = shown;
    if (!listed) return destinations;
    for (const std::vector<std::string>& row : grid.Rows)
        if (!row[3].empty()) destinations.emplace_back(QString::fromStdString(row[2]), QString::fromStdString(row[3]));
    return destinations;
}
