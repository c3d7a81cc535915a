#pragma once

#include <ctime>
#include <string>
#include <string_view>

// Names of the documents in a user's Pelmor inbox, shared by the printer
// backend that writes them and the application that offers them:
//   yyyymmdd-hhmmss-JOBID-TITLE.pdf
// with the job number as six digits or more, so that names sort in the order
// the documents were printed. Anything else in the folder (a temporary file
// still being written, for one) is not a document.

// The folder of the inbox below a user's data folder ($XDG_DATA_HOME).
std::string InboxFolderUnder(const std::string& dataHome);

// A job title made safe as part of a file name: no "/", no control characters,
// none of the characters other systems refuse in names, no leading dot, valid
// UTF-8, at most MaxTitleBytes bytes; a trailing ".pdf" is left out. An empty
// result becomes "無題".
std::string SafeFileTitle(std::string_view title);
inline constexpr size_t MaxTitleBytes = 120;

// The inbox name of a job printed at when (local time).
std::string InboxFileName(std::time_t when, int jobId, std::string_view title);

bool IsInboxDocumentName(std::string_view fileName);

// The title part of a document's name; the name without ".pdf" when it does
// not have the printed form.
std::string TitleOfInboxFile(std::string_view fileName);
