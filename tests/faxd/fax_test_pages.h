#pragma once

#include "fax_page.h"

#include <string>
#include <vector>

// A page as dense as a page of small print: rows of irregular strokes over
// the whole page, different for each seed.
TFaxPage MakeDenseTestPage(unsigned seed);

// A page with one black rectangle.
TFaxPage MakeBoxTestPage(int x0, int y0, int x1, int y1);

// Writes pages into a fax TIFF; false on failure.
bool WriteTestTiff(const std::string& path, const std::vector<TFaxPage>& pages);
