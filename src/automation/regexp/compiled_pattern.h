#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Where one match lies in the searched text, in bytes. A group that took no
// part in the match has Offset npos.
struct TTextSpan {
    static constexpr size_t npos = std::string::npos;
    size_t Offset = npos;
    size_t Length = 0;
    bool IsSet() const { return Offset != npos; }
};

struct TPatternMatch {
    TTextSpan Whole;
    std::vector<TTextSpan> Groups; // group 1 first
};

struct TPatternOptions {
    bool IgnoreCase = false;
    bool Multiline = false;
};

// A regular expression compiled for byte strings: every byte is one
// character, nothing is decoded, so Shift-JIS or any other bytes are searched
// safely. Case is folded for ASCII letters only. The syntax is that of script
// regular expressions ("." stops at CR and LF, "$" only at the very end unless
// multiline). Each match attempt is bounded, so that a pattern that would
// backtrack for ever raises an error instead of hanging.
class TCompiledPattern {
public:
    // Raises TAutomationError when the pattern is not valid.
    TCompiledPattern(const std::string& pattern, TPatternOptions options);
    ~TCompiledPattern();
    TCompiledPattern(const TCompiledPattern&) = delete;
    TCompiledPattern& operator=(const TCompiledPattern&) = delete;

    // The matches in text from left to right; only the first one unless
    // global. After an empty match the search goes on one byte further.
    // Raises TAutomationError when an attempt exceeds its limits.
    std::vector<TPatternMatch> Find(std::string_view text, bool global) const;

    size_t GroupCount() const { return Groups; }

private:
    struct TCode;
    std::unique_ptr<TCode> Code;
    size_t Groups = 0;
};
