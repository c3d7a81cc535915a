#pragma once

#include <string>
#include <vector>

// The texts of every statement and connection string the book issues, in the
// Jet dialect. A value goes between double quotes with each quote inside it
// doubled, so that whatever it holds it stays one value.

std::string JetConnectionString(const std::string& path);
std::string JetLiteral(const std::string& value);

std::string ListStatement();
std::string LookUpStatement(const std::string& number);
std::string DeleteStatement(const std::string& number);
std::string InsertStatement(const std::string& name, const std::string& number);
const std::vector<std::string>& SchemaStatements();
