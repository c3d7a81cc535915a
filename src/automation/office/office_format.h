#pragma once

#include <string>

// The office format a file holds, told by its content: a zip package by the
// parts it holds (word/, xl/, ppt/, a macro project, or the OpenDocument
// mimetype entry), a compound file by its streams (WordDocument, Workbook,
// PowerPoint Document), RTF by its opening. CSV is text and has no marks of
// its own: it is taken as CSV when the name hint (the file's name as the user
// gave it) ends in ".csv" and the content is no other format.
//
// Returns the format's usual extension ("docx", "docm", "xlsx", "xlsm",
// "pptx", "odt", "ods", "odp", "doc", "xls", "ppt", "rtf", "csv"), or an
// empty string for a file of none of them.
std::string SniffOfficeFormat(const std::string& path, const std::string& nameHint = {});
