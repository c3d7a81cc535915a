#include "text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

bool IsContentControl(unsigned c)
{
    // Tab, line feed, form feed, carriage return; 0x1A ends old DOS files.
    return c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0C && c != 0x0D && c != 0x1A;
}

// Well-formed UTF-8 (no overlong forms, no surrogates) without stray controls.
bool IsUtf8Text(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned c = static_cast<uint8_t>(bytes[i]);
        if (c < 0x80) {
            if (IsContentControl(c) || c == 0x7F)
                return false;
            ++i;
            continue;
        }
        int extra;
        unsigned value;
        if (c >= 0xC2 && c <= 0xDF) { extra = 1; value = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { extra = 2; value = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { extra = 3; value = c & 0x07; }
        else return false;
        if (i + extra >= bytes.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned t = static_cast<uint8_t>(bytes[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            value = value << 6 | (t & 0x3F);
        }
        if ((extra == 2 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF)))
            || (extra == 3 && (value < 0x10000 || value > 0x10FFFF)))
            return false;
        i += extra + 1;
    }
    return true;
}

// Shift-JIS (CP932): returns a plausibility score, or -1 when malformed.
// Double-byte characters count for, half-width katakana against (they are
// rare in real text but are what EUC-JP bytes look like read as Shift-JIS).
long ShiftJisScore(std::string_view bytes)
{
    long score = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned c = static_cast<uint8_t>(bytes[i]);
        if (c < 0x80) {
            if (IsContentControl(c) || c == 0x7F)
                return -1;
        } else if (c >= 0xA1 && c <= 0xDF) {
            --score;
        } else if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            if (i + 1 >= bytes.size())
                return -1;
            unsigned t = static_cast<uint8_t>(bytes[++i]);
            if (t < 0x40 || t == 0x7F || t > 0xFC)
                return -1;
            score += 2;
        } else {
            return -1;
        }
    }
    return score < 0 ? 0 : score;
}

// EUC-JP: a plausibility score, or -1 when malformed.
long EucJpScore(std::string_view bytes)
{
    long score = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned c = static_cast<uint8_t>(bytes[i]);
        if (c < 0x80) {
            if (IsContentControl(c) || c == 0x7F)
                return -1;
            continue;
        }
        auto trail = [&](size_t at) {
            if (at >= bytes.size())
                return false;
            unsigned t = static_cast<uint8_t>(bytes[at]);
            return t >= 0xA1 && t <= 0xFE;
        };
        if (c == 0x8E) { // half-width katakana
            if (!trail(i + 1))
                return -1;
            i += 1;
        } else if (c == 0x8F) { // JIS X 0212
            if (!trail(i + 1) || !trail(i + 2))
                return -1;
            i += 2;
            score += 2;
        } else if (c >= 0xA1 && c <= 0xFE) {
            if (!trail(i + 1))
                return -1;
            i += 1;
            score += 2;
        } else {
            return -1;
        }
    }
    return score;
}

bool Convert(std::string_view bytes, const char* from, std::string& utf8)
{
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    utf8.clear();
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[8192];
    bool ok = true;
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        utf8.append(buffer, static_cast<size_t>(out - buffer));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

} // namespace

TTextEncoding DetectTextEncoding(std::string_view bytes)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        return IsUtf8Text(bytes.substr(3)) ? teUtf8 : teNone;
    if (StartsWith(bytes, "\xFF\xFE"))
        return bytes.size() % 2 == 0 ? teUtf16Le : teNone;
    if (StartsWith(bytes, "\xFE\xFF"))
        return bytes.size() % 2 == 0 ? teUtf16Be : teNone;
    if (bytes.find('\0') != std::string_view::npos)
        return teNone;
    if (IsUtf8Text(bytes))
        return teUtf8;
    long sjis = ShiftJisScore(bytes);
    long euc = EucJpScore(bytes);
    if (sjis < 0 && euc < 0)
        return teNone;
    return euc > sjis ? teEucJp : teShiftJis;
}

bool DecodeText(std::string_view bytes, std::string& utf8)
{
    TTextEncoding encoding = DetectTextEncoding(bytes);
    switch (encoding) {
    case teNone:
        return false;
    case teUtf8:
        utf8 = StartsWith(bytes, "\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
        return true;
    case teUtf16Le:
        return Convert(bytes.substr(2), "UTF-16LE", utf8);
    case teUtf16Be:
        return Convert(bytes.substr(2), "UTF-16BE", utf8);
    case teShiftJis:
        return Convert(bytes, "CP932", utf8);
    case teEucJp:
        return Convert(bytes, "EUC-JP-MS", utf8) || Convert(bytes, "EUC-JP", utf8);
    }
    return false;
}

const char* TextEncodingName(TTextEncoding encoding)
{
    switch (encoding) {
    case teUtf8: return "UTF-8";
    case teUtf16Le: return "UTF-16LE";
    case teUtf16Be: return "UTF-16BE";
    case teShiftJis: return "Shift_JIS";
    case teEucJp: return "EUC-JP";
    case teNone: break;
    }
    return "none";
}
