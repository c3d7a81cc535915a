#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Lays plain text out in lines and pages, independent of any font library:
// the caller measures characters. Lines end at CR, LF or CR LF; a form feed
// starts a new page; a tab moves to the next tab stop; a line too long for
// the frame wraps, between words for Latin text and between any two
// characters for Japanese, following the Japanese line-breaking rules: no
// line begins with closing brackets, "、。" and the like, and none ends with
// an opening bracket.

// A piece of a line drawn from X (in the frame's units, from the left edge).
struct TTextRun {
    double X = 0;
    std::u32string Text;
};

struct TTextLine {
    std::vector<TTextRun> Runs;
};

using TTextPage = std::vector<TTextLine>;

struct TTextFrame {
    double LineWidth = 0;   // usable width of a line
    int LinesPerPage = 1;
    double TabWidth = 0;    // distance between tab stops
};

// The advance of one character in the frame's units.
using TAdvance = std::function<double(char32_t)>;

std::vector<TTextPage> LayoutText(std::u32string_view text, const TTextFrame& frame, const TAdvance& advance);

// Japanese line-breaking classes.
bool MayStartLine(char32_t c);
bool MayEndLine(char32_t c);

// UTF-8 to code points; malformed bytes become U+FFFD.
std::u32string Utf8ToUtf32(std::string_view utf8);
