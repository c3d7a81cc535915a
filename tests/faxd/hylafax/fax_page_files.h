#pragma once

#include <string>
#include <vector>

// One fax page as rows of packed bits (1 = black), each row 1728 / 8 bytes.
struct TFaxPage {
    int Width = 1728;
    std::vector<std::string> Rows;
};

// A page of the given height with bars and blocks that differ from row to row,
// so that a lost, shifted or cut row shows.
TFaxPage MakePatternPage(int height, int seed);

// Writes pages as TIFF Class F (T.6, 204 x 196 dpi). False on failure.
bool WriteFaxTiff(const std::string& path, const std::vector<TFaxPage>& pages);

// Every page of a bilevel TIFF, decoded; empty on failure. Rows are given with
// 1 = black whatever the file's photometric interpretation.
std::vector<TFaxPage> ReadFaxTiff(const std::string& path);
