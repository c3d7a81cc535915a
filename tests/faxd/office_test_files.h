#pragma once

#include <string>
#include <utility>
#include <vector>

// A zip archive holding the entries (name, content) as they are, in order.
std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& entries);

// A compound file whose directory holds the root and one stream of that name.
std::string MakeCompoundFile(const std::string& streamName);
