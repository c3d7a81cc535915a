#pragma once

#include "automation/office/office_options.h"
#include "automation/office/office_profile.h"
#include "automation/office/private_folder.h"

#include <chrono>
#include <memory>
#include <string>

// A text document, a workbook, or any document LibreOffice opens (text,
// sheet, presentation), the last only to be printed (SavePdf).
enum TOfficeKind { okWriter, okCalc, okAny };

class TOfficeConverter;
class TResidentOffice;

// A document opened by LibreOffice. The source was copied into a working
// folder of its own first, so LibreOffice never touches the user's file.
// Closing (or destroying) the document releases it in LibreOffice and removes
// the working folder.
class TOfficeDocument {
public:
    ~TOfficeDocument();
    TOfficeDocument(const TOfficeDocument&) = delete;
    TOfficeDocument& operator=(const TOfficeDocument&) = delete;

    TOfficeKind Kind() const { return DocumentKind; }

    // Writes the document's text at destination: a text document as plain
    // UTF-8 text, a workbook's sheet as printer text (LayoutPrinterText).
    // Raises TAutomationError when nothing could be written.
    void SaveText(const std::string& destination);
    // Writes the document as PDF, laid out as LibreOffice prints it.
    // Raises TAutomationError when nothing could be written.
    void SavePdf(const std::string& destination);
    void Close();

private:
    friend class TOfficeConverter;
    TOfficeDocument(std::shared_ptr<TOfficeConverter> owner, TOfficeKind kind, std::string folder,
                    std::string source)
        : Owner(std::move(owner)), DocumentKind(kind), Folder(std::move(folder)), Source(std::move(source)) {}
    std::string SaveAs(const std::string& extension, const std::string& filter, const std::string& options);

    std::shared_ptr<TOfficeConverter> Owner;
    TOfficeKind DocumentKind;
    std::string Folder;
    std::string Source;
    // LibreOffice's import filter and its options, when its own detection
    // would not do (CSV).
    std::string InputFilter;
    std::string InputOptions;
    int ResidentId = 0;
    unsigned ResidentGeneration = 0;
    // The output of a one-off conversion, made when the document was opened.
    std::string Converted;
};

// Runs LibreOffice for the Word and Excel stand-ins and for the fax service's
// office renderer. A resident LibreOffice
// does the work: started in the background after the first document (which,
// like every document while there is no resident one, is converted by a
// LibreOffice of its own, soffice --convert-to), ended by Shutdown, by the
// idle limit or with this process. Every LibreOffice runs headless with a
// private profile, under the time limit. One thread at a time.
class TOfficeConverter : public std::enable_shared_from_this<TOfficeConverter> {
public:
    explicit TOfficeConverter(TOfficeOptions options = {});
    ~TOfficeConverter();
    TOfficeConverter(const TOfficeConverter&) = delete;
    TOfficeConverter& operator=(const TOfficeConverter&) = delete;

    const TOfficeOptions& Options() const { return Settings; }

    // True when the LibreOffice program exists.
    bool Installed() const;

    // Opens source as a text document (okWriter), a workbook (okCalc) or any
    // document (okAny). format, when given, is the file's office format as
    // SniffOfficeFormat names it; the source's extension serves otherwise.
    // A CSV source is read as UTF-8. Raises TAutomationError when it cannot
    // be opened as asked, or when LibreOffice does not answer in time.
    std::unique_ptr<TOfficeDocument> Open(TOfficeKind kind, const std::string& source,
                                          const std::string& format = {});

    // Starts the resident LibreOffice now, unless it runs, and waits until it
    // is ready; false when it cannot be started.
    bool StartResident();
    // Ends the resident LibreOffice and removes the private folder.
    void Shutdown();
    // True while the resident LibreOffice is starting or running.
    bool ResidentRunning() const;

private:
    friend class TOfficeDocument;
    bool OpenResident(TOfficeDocument& document);
    void ConvertOnce(TOfficeDocument& document);
    std::string Output(TOfficeDocument& document, const std::string& extension, const std::string& filter,
                       const std::string& options);
    void CloseDocument(TOfficeDocument& document);
    TResidentOffice* ResidentOffice();
    void LaunchResident();
    std::string ProfileFolder();

    TOfficeOptions Settings;
    TPrivateFolder Folder;
    TProfileSlot Profile;
    std::unique_ptr<TResidentOffice> Resident;
    std::chrono::steady_clock::time_point ResidentRetryAt {};
    unsigned NextDocument = 0;
};

// The converter the registered Word.Application and Excel.Application use:
// default settings, the profile kept under DefaultProfileRoot().
std::shared_ptr<TOfficeConverter> DefaultOfficeConverter();
