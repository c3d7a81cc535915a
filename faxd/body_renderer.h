#pragma once

#include "body_type.h"

#include <string>

// Renders a submitted file of the given type into a TIFF Class F file at
// tiffPath (multi-page, T.6). Text needs a QGuiApplication. False with a
// short English error, leaving no file at tiffPath, when the content turns
// out corrupt, too large or empty.
bool RenderBody(const std::string& bodyPath, TBodyType type, const std::string& tiffPath, int& pages,
                std::string& error);

// Pages a body may render to at most.
constexpr int MaxRenderedPages = 2000;
