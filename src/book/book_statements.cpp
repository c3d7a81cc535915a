#include "book/book_statements.h"

std::string JetConnectionString(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + path + "\"";
}

std::string JetLiteral(const std::string& value) {
    std::string literal = "\"";
    for (char c : value) {
        if (c == '"') literal += '"';
        literal += c;
    }
    return literal + "\"";
}

std::string ListStatement() { return "SELECT fld0, fld1 FROM tbl00 ORDER BY fld0"; }

std::string LookUpStatement(const std::string& number) { return "SELECT * FROM tbl00 WHERE fld1=" + JetLiteral(number); }

std::string DeleteStatement(const std::string& number) {
    return "DELETE * FROM tbl00 WHERE fld1=" + JetLiteral(number);
}

std::string InsertStatement(const std::string& name, const std::string& number) {
    return "INSERT INTO tbl00 ( fld0, fld1 ) SELECT " + JetLiteral(name) + " AS S0, " + JetLiteral(number) + " AS S1";
}

const std::vector<std::string>& SchemaStatements() {
    static const std::vector<std::string> statements = {
        "CREATE TABLE tbl00(fld0 String, fld1 String)",
        "ALTER TABLE tbl00 ADD PRIMARY KEY(fld1)",
        "CREATE TABLE tbl01(fld0 String)",
        "ALTER TABLE tbl01 ADD PRIMARY KEY(fld0)",
    };
    return statements;
}
