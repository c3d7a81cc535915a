#pragma once

#include "fax_page.h"

#include <functional>
#include <string>

// Renders UTF-8 text on A4 fax pages in a Japanese font (IPA Gothic), 10.5
// point, 20 mm margins, tab stops every eight half-width columns. Needs a
// QGuiApplication. Each finished page goes to onPage; false stops (and is
// returned). False with error when the font is missing.
bool RenderTextPages(const std::string& utf8, const std::function<bool(const TFaxPage&)>& onPage,
                     std::string& error);

// The Japanese font used, by family name.
constexpr const char* FaxTextFontFamily = "IPAGothic";
