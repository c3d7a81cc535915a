#pragma once

#include "app/app_state.h"
#include "automation/jet/jet_servers.h"
#include "book/book_files.h"
#include "book/book_grid.h"
#include "book/destination_book.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The grid as the book's operations fill it, with a count of the writes.
class TFakeGrid : public TBookGrid {
public:
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    void SetRowCount(int rows) override {
        Rows.resize(static_cast<size_t>(rows), std::vector<std::string>(5));
        ++Writes;
    }
    std::string Cell(int column, int row) const override {
        return Rows.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
    }
    void SetCell(int column, int row, const std::string& text) override {
        Rows.at(static_cast<size_t>(row)).at(static_cast<size_t>(column)) = text;
        ++Writes;
    }
    // "name|number" per row.
    std::vector<std::string> Destinations() const {
        std::vector<std::string> out;
        for (const auto& row : Rows) out.push_back(row[2] + "|" + row[3]);
        return out;
    }

    std::vector<std::vector<std::string>> Rows;
    int Writes = 0;
};

// An application folder of its own, the real database servers and a fake grid.
class BookTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterJetServers();
        ResetAppState();
        InitAppPaths(Dir.Path().string());
        BookGrid = &Grid;
    }
    void TearDown() override { BookGrid = nullptr; }

    // The start-up's book step: list, else create.
    bool StartUp() { return UpdateBook(baList) || CreateBook(); }

    std::vector<std::string> FilesInDir() const;

    TTempDir Dir;
    TFakeGrid Grid;
};


inline std::vector<std::string> BookTest::FilesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
