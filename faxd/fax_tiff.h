#pragma once

#include "fax_page.h"
#include "tiff_file.h"

#include <string>
#include <vector>

// Writes fax pages one after another into a multi-page TIFF Class F file:
// bilevel, white is zero, 204 x 196 dpi, T.6 (Group 4) compression, one
// strip per page.
class TFaxTiffWriter {
public:
    bool Open(const std::string& path);
    bool AddPage(const TFaxPage& page);
    // Flushes and closes; false when anything failed since Open.
    bool Close();

    int Pages() const { return PageCount; }
    const std::string& Error() const { return LastError.empty() ? File.Error() : LastError; }

private:
    TTiffFile File;
    int PageCount = 0;
    std::string LastError;
};

// Reads every page of a bilevel TIFF (any compression libtiff decodes, either
// photometric sense). False with error set for anything else.
// yDpi, when given, gets each page's vertical resolution (0 when unstated).
bool ReadFaxTiff(const std::string& path, std::vector<TFaxPage>& pages, std::string& error,
                 std::vector<double>* yDpi = nullptr);

// The pages of a file that is a fax already (every page bilevel, 1728 wide,
// at 196 or 98 lines per inch), at 196 lines per inch: a 98-line page has
// each row twice. False, pages empty, for any other file.
bool ReadFaxReadyTiff(const std::string& path, std::vector<TFaxPage>& pages);

// The number of pages (directories) of a TIFF file; 0 when it cannot be read.
int CountTiffPages(const std::string& path);
