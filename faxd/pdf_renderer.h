#pragma once

#include "fax_page.h"

#include <functional>
#include <string>

// Renders every page of a PDF (through poppler) on A4 fax pages, fitted and
// dithered like pictures. False with error for a file poppler cannot open,
// a locked file, or a page it cannot render; false also when onPage says so.
bool RenderPdfPages(const std::string& path, const std::function<bool(const TFaxPage&)>& onPage,
                    std::string& error);
