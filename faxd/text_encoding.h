#pragma once

#include <string>
#include <string_view>

enum TTextEncoding {
    teNone,     // not text
    teUtf8,     // with or without byte order mark (plain ASCII is UTF-8)
    teUtf16Le,  // with byte order mark
    teUtf16Be,  // with byte order mark
    teShiftJis, // Windows code page 932
    teEucJp
};

// Which encoding the bytes are in, by byte order mark, else by which of
// UTF-8, Shift-JIS and EUC-JP decodes them all (Shift-JIS and EUC-JP ranked
// by how plausible the result is). teNone for bytes that decode in none of
// them, or that hold control characters other than tab, line ends and form
// feed (binary files).
TTextEncoding DetectTextEncoding(std::string_view bytes);

// The text as UTF-8 without byte order mark; false when it cannot be
// converted (or is not text at all).
bool DecodeText(std::string_view bytes, std::string& utf8);

// The encoding's name for messages ("UTF-8", "Shift_JIS", …).
const char* TextEncodingName(TTextEncoding encoding);
