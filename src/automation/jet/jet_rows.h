#pragma once

#include "automation/variant.h"

#include <string>
#include <vector>

// The rows a query returned, read in whole: the column names and, per row,
// one value per column (a null value is Empty).
struct TJetRows {
    std::vector<std::string> Columns;
    std::vector<std::vector<TVariant>> Rows;
};
