#pragma once

#include <QString>

#include <utility>
#include <vector>

// The destinations of the destination book at BookPath() (name, number), in
// the book's order; empty when there is no book or it cannot be read. The
// Jet servers must be registered and the application's paths set.
std::vector<std::pair<QString, QString>> ReadBookDestinations();
