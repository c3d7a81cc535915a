#include "automation/regexp/compiled_pattern.h"

#include "automation/automation_error.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace {

// Bounds of one match attempt: calls of the backtracking matcher, nesting of
// backtracking points, and the memory that holds them (KiB).
constexpr uint32_t MatchLimit = 1000000;
constexpr uint32_t DepthLimit = 100000;
constexpr uint32_t HeapLimitKiB = 20000;

std::string PcreMessage(int code) {
    PCRE2_UCHAR buffer[256];
    int length = pcre2_get_error_message(code, buffer, sizeof buffer);
    if (length < 0) return "error " + std::to_string(code);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

} // namespace

struct TCompiledPattern::TCode {
    pcre2_code* Pattern = nullptr;
    pcre2_match_context* Limits = nullptr;
    ~TCode() {
        pcre2_match_context_free(Limits);
        pcre2_code_free(Pattern);
    }
};

TCompiledPattern::TCompiledPattern(const std::string& pattern, TPatternOptions options)
    : Code(std::make_unique<TCode>()) {
    uint32_t flags = PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
                     PCRE2_DOLLAR_ENDONLY;
    if (options.IgnoreCase) flags |= PCRE2_CASELESS;
    if (options.Multiline) flags |= PCRE2_MULTILINE;

    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (!context) throw TAutomationError("Out of memory");
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    Code->Pattern = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags, &errorCode,
                                  &errorOffset, context);
    pcre2_compile_context_free(context);
    if (!Code->Pattern)
        throw TAutomationError("Syntax error in regular expression: " + PcreMessage(errorCode) + " at offset " +
                               std::to_string(errorOffset));

    uint32_t captures = 0;
    pcre2_pattern_info(Code->Pattern, PCRE2_INFO_CAPTURECOUNT, &captures);
    Groups = captures;

    Code->Limits = pcre2_match_context_create(nullptr);
    if (!Code->Limits) throw TAutomationError("Out of memory");
    pcre2_set_match_limit(Code->Limits, MatchLimit);
    pcre2_set_depth_limit(Code->Limits, DepthLimit);
    pcre2_set_heap_limit(Code->Limits, HeapLimitKiB);
}

TCompiledPattern::~TCompiledPattern() = default;

std::vector<TPatternMatch> TCompiledPattern::Find(std::string_view text, bool global) const {
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
        pcre2_match_data_create_from_pattern(Code->Pattern, nullptr), &pcre2_match_data_free);
    if (!data) throw TAutomationError("Out of memory");

    std::vector<TPatternMatch> matches;
    auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    size_t offset = 0;
    while (offset <= text.size()) {
        int result = pcre2_match(Code->Pattern, subject, text.size(), offset, 0, data.get(), Code->Limits);
        if (result == PCRE2_ERROR_NOMATCH) break;
        if (result == PCRE2_ERROR_MATCHLIMIT || result == PCRE2_ERROR_DEPTHLIMIT ||
            result == PCRE2_ERROR_HEAPLIMIT)
            throw TAutomationError("Regular expression too complex for this text: " + PcreMessage(result));
        if (result < 0) throw TAutomationError("Regular expression failed: " + PcreMessage(result));

        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data.get());
        TPatternMatch match;
        size_t start = vector[0];
        // \K inside a lookahead can report an end before the start.
        size_t end = vector[1] < start ? start : vector[1];
        match.Whole = {start, end - start};
        for (size_t group = 1; group <= Groups; ++group) {
            TTextSpan span;
            if (static_cast<int>(group) < result && vector[2 * group] != PCRE2_UNSET &&
                vector[2 * group + 1] >= vector[2 * group])
                span = {vector[2 * group], vector[2 * group + 1] - vector[2 * group]};
            match.Groups.push_back(span);
        }
        matches.push_back(std::move(match));
        if (!global) break;
        offset = end > start ? end : end + 1;
    }
    return matches;
}
