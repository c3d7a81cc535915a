#include "automation/office/printer_text.h"

#include <algorithm>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {

int CharacterWidth(UChar32 c) {
    if (c < 0) return 1; // an invalid byte
    int category = u_charType(c);
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR) return 0;
    switch (u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH)) {
    case U_EA_WIDE:
    case U_EA_FULLWIDTH:
    case U_EA_AMBIGUOUS:
        return 2;
    default:
        return 1;
    }
}

// A cell's text on one line: line breaks and tabs inside a cell become spaces.
std::string OneLine(const std::string& text) {
    std::string line = text;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return line;
}

void TrimTrailingBlanks(std::string& line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
}

} // namespace

std::vector<TSheetRow> ParseSheetCsv(std::string_view csv) {
    std::vector<TSheetRow> rows;
    TSheetRow row;
    TSheetCell cell;
    bool inQuotes = false;
    bool rowStarted = false;
    for (size_t i = 0; i < csv.size(); ++i) {
        char c = csv[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
                cell.Text += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                cell.Text += c;
            }
            continue;
        }
        rowStarted = true;
        if (c == '"') {
            inQuotes = true;
            cell.IsText = true;
        } else if (c == ',') {
            row.push_back(std::move(cell));
            cell = {};
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') ++i;
            row.push_back(std::move(cell));
            cell = {};
            rows.push_back(std::move(row));
            row.clear();
            rowStarted = false;
        } else {
            cell.Text += c;
        }
    }
    if (rowStarted || inQuotes) {
        row.push_back(std::move(cell));
        rows.push_back(std::move(row));
    }
    return rows;
}

int DisplayWidth(std::string_view utf8) {
    int width = 0;
    int32_t length = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(utf8.data(), i, length, c);
        width += CharacterWidth(c);
    }
    return width;
}

std::string LayoutPrinterText(const std::vector<TSheetRow>& rows) {
    size_t columnCount = 0;
    for (const TSheetRow& row : rows) columnCount = std::max(columnCount, row.size());
    std::vector<int> widths(columnCount, 0);
    std::vector<bool> used(columnCount, false);
    for (const TSheetRow& row : rows) {
        for (size_t column = 0; column < row.size(); ++column) {
            if (row[column].Text.empty()) continue;
            used[column] = true;
            widths[column] = std::max(widths[column], DisplayWidth(OneLine(row[column].Text)));
        }
    }

    std::string text;
    for (const TSheetRow& row : rows) {
        std::string line;
        bool first = true;
        for (size_t column = 0; column < columnCount; ++column) {
            if (!used[column]) continue;
            if (!first) line += ' ';
            first = false;
            std::string cell = column < row.size() ? OneLine(row[column].Text) : std::string();
            std::string padding(static_cast<size_t>(widths[column] - DisplayWidth(cell)), ' ');
            bool rightAligned = column < row.size() && !row[column].IsText;
            line += rightAligned ? padding + cell : cell + padding;
        }
        TrimTrailingBlanks(line);
        text += line + "\n";
    }
    return text;
}
