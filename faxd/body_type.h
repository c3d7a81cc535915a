#pragma once

#include <string>

// What a submitted file holds, as far as rendering is concerned.
enum TBodyType {
    btUnknown,
    btText,
    btBmp,
    btJpeg,
    btPng,
    btTiff,
    btPdf,
    // Office documents, printed by LibreOffice.
    btDoc,
    btDocx,
    btDocm,
    btXls,
    btXlsx,
    btXlsm,
    btPpt,
    btPptx,
    btOdt,
    btOds,
    btOdp,
    btRtf,
    btCsv
};

// Looks at a file's content. The name the file had (nameHint) only tells CSV
// from other text. btUnknown with error set for a file it cannot read, an
// empty file, or content of no renderable type ("unsupported file type").
TBodyType SniffBodyType(const std::string& path, std::string& error, const std::string& nameHint = {});

// True for the office documents.
bool IsOfficeBody(TBodyType type);

// Short names stored in job records ("text", "bmp", …; an office document's
// usual extension, "docx", …) and back.
const char* BodyTypeName(TBodyType type);
TBodyType BodyTypeFromName(const std::string& name);

// Text files larger than this are refused (about 2000 pages).
constexpr long long MaxTextBytes = 8LL << 20;
