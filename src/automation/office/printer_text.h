#pragma once

#include <string>
#include <string_view>
#include <vector>

// One cell of a sheet exported as CSV with every text cell quoted: a quoted
// cell is text, an unquoted one a number (dates and times included).
struct TSheetCell {
    std::string Text;
    bool IsText = false;
};
using TSheetRow = std::vector<TSheetCell>;

// Reads CSV as LibreOffice writes it: comma separated, text in double quotes
// with "" for a quote, line breaks inside quotes kept.
std::vector<TSheetRow> ParseSheetCsv(std::string_view csv);

// The columns a text takes on a printer: full-width (and East Asian
// ambiguous) characters two, combining marks none, everything else one.
int DisplayWidth(std::string_view utf8);

// Lays the sheet out the way a printer shows it: each cell as displayed,
// columns aligned and separated by a space (text to the left, numbers to the
// right), columns empty in every row left out, trailing blanks trimmed, one
// line per row ending in a line break.
std::string LayoutPrinterText(const std::vector<TSheetRow>& rows);
