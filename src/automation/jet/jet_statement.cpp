#include "automation/jet/jet_statement.h"

#include "automation/jet/japanese_collation.h"

#include <array>

namespace {

// The statement forms accepted, with every literal written as "?", and what
// SQLite runs for each. Text compares and orders through the Japanese
// collation; a primary key is a unique index (case-insensitive, as Jet's key
// is, and under a collation the sqlite3 tool knows).
struct TStatementForm {
    std::string_view Jet;
    std::string_view Sqlite;
    size_t ValueCount;
    TJetStatementKind Kind;
};

#define PELMOR_JA " COLLATE JAPANESE_CI"

constexpr std::array<TStatementForm, 8> Forms = {{
    {"SELECT fld0, fld1 FROM tbl00 ORDER BY fld0",
     "SELECT fld0, fld1 FROM tbl00 ORDER BY fld0" PELMOR_JA ", fld0, fld1", 0, jskQuery},
    {"SELECT * FROM tbl00 WHERE fld1=?", "SELECT * FROM tbl00 WHERE fld1=?1" PELMOR_JA, 1, jskQuery},
    {"DELETE * FROM tbl00 WHERE fld1=?", "DELETE FROM tbl00 WHERE fld1=?1" PELMOR_JA, 1, jskCommand},
    {"INSERT INTO tbl00 ( fld0, fld1 ) SELECT ? AS S0, ? AS S1",
     "INSERT INTO tbl00 ( fld0, fld1 ) SELECT ?1 AS S0, ?2 AS S1", 2, jskCommand},
    {"CREATE TABLE tbl00(fld0 String, fld1 String)", "CREATE TABLE tbl00(fld0 TEXT, fld1 TEXT)", 0, jskCommand},
    {"ALTER TABLE tbl00 ADD PRIMARY KEY(fld1)",
     "CREATE UNIQUE INDEX tbl00_PrimaryKey ON tbl00(fld1 COLLATE NOCASE)", 0, jskCommand},
    {"CREATE TABLE tbl01(fld0 String)", "CREATE TABLE tbl01(fld0 TEXT)", 0, jskCommand},
    {"ALTER TABLE tbl01 ADD PRIMARY KEY(fld0)",
     "CREATE UNIQUE INDEX tbl01_PrimaryKey ON tbl01(fld0 COLLATE NOCASE)", 0, jskCommand},
}};

#undef PELMOR_JA

// Splits the text into its form (literals replaced by "?") and the literals.
bool SplitLiterals(std::string_view text, std::string& form, std::vector<std::string>& values, std::string& error) {
    form.clear();
    values.clear();
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i++];
        if (c != '"') {
            form += c;
            continue;
        }
        std::string value;
        bool closed = false;
        while (i < text.size()) {
            char v = text[i++];
            if (v != '"') {
                value += v;
            } else if (i < text.size() && text[i] == '"') {
                value += '"';
                ++i;
            } else {
                closed = true;
                break;
            }
        }
        if (!closed) {
            error = "Syntax error in string in query expression";
            return false;
        }
        form += '?';
        values.push_back(std::move(value));
    }
    return true;
}

} // namespace

bool TranslateJetStatement(std::string_view jetText, TJetStatement& out, std::string& error) {
    static_assert(std::string_view(JapaneseCollationName) == "JAPANESE_CI");
    std::string form;
    std::vector<std::string> values;
    if (!SplitLiterals(jetText, form, values, error)) return false;
    for (const TStatementForm& known : Forms) {
        if (known.Jet != form) continue;
        if (values.size() != known.ValueCount) break;
        out.Sql = known.Sqlite;
        out.Values = std::move(values);
        out.Kind = known.Kind;
        return true;
    }
    error = "Syntax error: not a statement this database accepts: " + std::string(jetText.substr(0, 200));
    return false;
}
