#include "book/book_grid.h"

TBookGrid* BookGrid = nullptr;
