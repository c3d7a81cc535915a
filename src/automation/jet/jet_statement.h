#pragma once

#include <string>
#include <string_view>
#include <vector>

enum TJetStatementKind { jskQuery, jskCommand };

// A statement of the Jet dialect as SQLite runs it: the SQLite text with one
// "?" for each literal of the original, and the literals' values to bind.
struct TJetStatement {
    std::string Sql;
    std::vector<std::string> Values;
    TJetStatementKind Kind = jskCommand;
};

// Translates one of the statement forms the destination book issues. Every
// double-quoted literal ("" standing for one quote inside it) becomes a bound
// value, so no value ever becomes statement text. Any other statement, or a
// literal left open, is refused: false, with the reason in error.
bool TranslateJetStatement(std::string_view jetText, TJetStatement& out, std::string& error);
