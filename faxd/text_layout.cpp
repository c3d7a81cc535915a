#include "text_layout.h"

#include <algorithm>
#include <cmath>

namespace {

// Characters that may not begin a line: closing brackets and quotes,
// Japanese and Latin punctuation that follows what it belongs to, small
// kana, the prolonged sound mark and iteration marks.
constexpr std::u32string_view NoLineStart =
    U"、。，．,.:;?!)]}’”〉》」』】〕〗〙〛｝）］〟｠»・：；？！ー‐゠–〜～"
    U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ"
    U"ゝゞヽヾ々〻ｧｨｩｪｫｯｬｭｮｰ｡､｣";

// Characters that may not end a line: opening brackets and quotes.
constexpr std::u32string_view NoLineEnd = U"([{‘“〈《「『【〔〖〘〚｛（［｟«｢";

bool IsSpace(char32_t c) { return c == U' '; }

// Letters, digits and the marks inside Latin words: a line breaks inside a
// run of these only when the run alone is longer than a line.
bool IsWordChar(char32_t c)
{
    return c > U' ' && c < 0x2E80 && c != U'\t';
}

struct TPlaced {
    char32_t Char;
    double X;
    double Advance;
};

class TLayout {
public:
    TLayout(const TTextFrame& frame, const TAdvance& advance) : Frame(frame), Advance(advance) {}

    void AddParagraph(std::u32string_view raw)
    {
        // Control characters other than tab (and stray byte order marks) take no room.
        std::u32string chars;
        chars.reserve(raw.size());
        for (char32_t c : raw)
            if (c == U'\t' || (c >= 0x20 && c != 0x7F && c != 0xFEFF))
                chars.push_back(c);
        size_t start = 0;
        if (chars.empty()) {
            AddLine({});
            return;
        }
        while (start < chars.size()) {
            std::vector<TPlaced> placed = Place(std::u32string_view(chars).substr(start));
            size_t fit = 0;
            while (fit < placed.size() && (fit == 0 || placed[fit].X + placed[fit].Advance <= Frame.LineWidth + 1e-6))
                ++fit;
            if (fit < placed.size())
                fit = ChooseBreak(placed, fit);
            AddLine(std::vector<TPlaced>(placed.begin(), placed.begin() + static_cast<long>(fit)));
            start += fit;
            // A wrapped line does not begin with the spaces it wrapped at.
            if (fit < placed.size())
                while (start < chars.size() && IsSpace(chars[start]))
                    ++start;
        }
    }

    // Ends the page; a form feed before anything else makes no empty page.
    void BreakPage()
    {
        if (!Current.empty() || !Pages.empty()) {
            Pages.push_back(std::move(Current));
            Current.clear();
        }
    }

    std::vector<TTextPage> Finish()
    {
        if (!Current.empty() || Pages.empty())
            Pages.push_back(std::move(Current));
        return std::move(Pages);
    }

private:
    std::vector<TPlaced> Place(std::u32string_view chars) const
    {
        std::vector<TPlaced> placed;
        placed.reserve(chars.size());
        double x = 0;
        for (char32_t c : chars) {
            double width;
            if (c == U'\t') {
                double tab = Frame.TabWidth > 0 ? Frame.TabWidth : 1;
                width = (std::floor(x / tab + 1e-9) + 1) * tab - x;
            } else {
                width = Advance(c);
            }
            placed.push_back({c, x, width});
            x += width;
            if (placed.size() > 1 && x > Frame.LineWidth * 4)
                break; // enough to choose this line's end
        }
        return placed;
    }

    // fit characters fit; where the line actually ends, counted in characters.
    size_t ChooseBreak(const std::vector<TPlaced>& placed, size_t fit) const
    {
        size_t at = fit;
        // Inside a Latin word: back to the last space, if the line has one.
        if (IsWordChar(placed[at].Char) && IsWordChar(placed[at - 1].Char)) {
            size_t space = at;
            while (space > 0 && !IsSpace(placed[space - 1].Char))
                --space;
            if (space > 0)
                at = space;
        }
        // Japanese rules: pull characters to the next line until the break
        // is allowed; when no place on the line allows one, break where it fits.
        size_t ruled = at;
        while (ruled > 1 && (!MayStartLine(placed[ruled].Char) || !MayEndLine(placed[ruled - 1].Char)))
            --ruled;
        if (MayStartLine(placed[ruled].Char) && MayEndLine(placed[ruled - 1].Char))
            at = ruled;
        return std::max<size_t>(at, 1);
    }

    void AddLine(const std::vector<TPlaced>& placed)
    {
        if (static_cast<int>(Current.size()) >= std::max(1, Frame.LinesPerPage)) {
            Pages.push_back(std::move(Current));
            Current.clear();
        }
        TTextLine line;
        bool newRun = true;
        for (const TPlaced& p : placed) {
            if (p.Char == U'\t') {
                newRun = true;
                continue;
            }
            if (newRun) {
                line.Runs.push_back({p.X, {}});
                newRun = false;
            }
            line.Runs.back().Text.push_back(p.Char);
        }
        Current.push_back(std::move(line));
    }

    const TTextFrame& Frame;
    const TAdvance& Advance;
    std::vector<TTextPage> Pages;
    TTextPage Current;
};

} // namespace

bool MayStartLine(char32_t c)
{
    return NoLineStart.find(c) == std::u32string_view::npos;
}

bool MayEndLine(char32_t c)
{
    return NoLineEnd.find(c) == std::u32string_view::npos;
}

std::vector<TTextPage> LayoutText(std::u32string_view text, const TTextFrame& frame, const TAdvance& advance)
{
    TLayout layout(frame, advance);
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c != U'\n' && c != U'\r' && c != U'\f')
            continue;
        std::u32string_view line = text.substr(start, i - start);
        if (c == U'\f') {
            if (!line.empty())
                layout.AddParagraph(line);
            layout.BreakPage();
        } else {
            layout.AddParagraph(line);
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')
                ++i;
        }
        start = i + 1;
    }
    if (start < text.size())
        layout.AddParagraph(text.substr(start));
    return layout.Finish();
}

std::u32string Utf8ToUtf32(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned c = static_cast<uint8_t>(utf8[i]);
        int extra = c < 0x80 ? 0 : c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
        char32_t value = extra <= 0 ? c : c & (0x7Fu >> (extra + 1));
        bool ok = extra >= 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= utf8.size() || (static_cast<uint8_t>(utf8[i + k]) & 0xC0) != 0x80)
                ok = false;
            else
                value = value << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(value);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}
