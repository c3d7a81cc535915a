#pragma once

#include <string>
#include <vector>

// True when LibreOffice can be run here; the LibreOffice tests are skipped
// otherwise.
bool OfficeInstalled();

// Has LibreOffice convert every source (all of one kind) in one run:
// format is a --convert-to argument such as "doc:MS Word 97", inputFilter an
// --infilter argument. Each result is written beside its source, with the
// format's extension; the paths written are returned (empty on failure).
std::vector<std::string> ConvertWithOffice(const std::vector<std::string>& sources, const std::string& format,
                                           const std::string& inputFilter);

// Word documents made from HTML bodies, and Excel workbooks made from CSV
// text (UTF-8, dates in ISO form), in a folder: name -> path.
std::string MakeWordDocument(const std::string& folder, const std::string& name, const std::string& htmlBody);
std::vector<std::string> MakeWordDocuments(const std::string& folder,
                                           const std::vector<std::pair<std::string, std::string>>& namedBodies);
std::vector<std::string> MakeExcelWorkbooks(const std::string& folder,
                                            const std::vector<std::pair<std::string, std::string>>& namedCsv);

// Bytes that are no kind of document: every byte value in turn.
std::string NotADocument();

// The pids of running processes whose command line mentions text (zombies
// are not running).
std::vector<int> ProcessesMentioning(const std::string& text);
bool ProcessRunning(int pid);

#include "automation/office/office_converter.h"
#include "automation/server_registry.h"

#include <memory>

// One converter, and so one resident LibreOffice, for every test that does
// not need settings of its own; its private folder lies in a temporary folder.
std::shared_ptr<TOfficeConverter> SharedConverter();
// A temporary folder for the documents the tests make, kept until exit.
const std::string& SharedFolder();

// Sends "Word.Application" and "Excel.Application" to a converter while it lives.
class TOfficeServersOverride {
public:
    explicit TOfficeServersOverride(const std::shared_ptr<TOfficeConverter>& converter);

private:
    TScopedServerOverride Word;
    TScopedServerOverride Excel;
};

// Documents made once for the whole executable, in SharedFolder(); empty
// paths when LibreOffice could not make them.
struct TOfficeSamples {
    std::string Paragraphs;  // three paragraphs, Japanese and ASCII
    std::string Table;       // a paragraph, a 2 x 2 table, a paragraph
    std::string Empty;       // a document without text
    std::string Sheet;       // names, numbers, dates, a full-width column
};
const TOfficeSamples& Samples();

// The text LibreOffice gives back for the samples.
extern const char* const ParagraphsText;
extern const char* const TableText;
extern const char* const SheetText;
