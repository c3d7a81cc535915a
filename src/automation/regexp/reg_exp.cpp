#include "automation/regexp/reg_exp.h"

#include "automation/regexp/match_objects.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view SpanText(std::string_view text, const TTextSpan& span) {
    return span.IsSet() ? text.substr(span.Offset, span.Length) : std::string_view();
}

} // namespace

std::string ExpandReplacement(std::string_view replacement, std::string_view text, const TPatternMatch& match) {
    std::string result;
    size_t groups = match.Groups.size();
    for (size_t i = 0; i < replacement.size(); ++i) {
        char c = replacement[i];
        if (c != '$' || i + 1 == replacement.size()) {
            result += c;
            continue;
        }
        char next = replacement[i + 1];
        if (next == '$') {
            result += '$';
            ++i;
        } else if (next == '&') {
            result += SpanText(text, match.Whole);
            ++i;
        } else if (next == '`') {
            result += text.substr(0, match.Whole.Offset);
            ++i;
        } else if (next == '\'') {
            result += text.substr(match.Whole.Offset + match.Whole.Length);
            ++i;
        } else if (IsDigit(next)) {
            // Two digits when they name a group, else one digit when it does.
            size_t one = static_cast<size_t>(next - '0');
            size_t two = i + 2 < replacement.size() && IsDigit(replacement[i + 2])
                             ? one * 10 + static_cast<size_t>(replacement[i + 2] - '0')
                             : 0;
            if (two >= 1 && two <= groups) {
                result += SpanText(text, match.Groups[two - 1]);
                i += 2;
            } else if (one >= 1 && one <= groups) {
                result += SpanText(text, match.Groups[one - 1]);
                i += 1;
            } else {
                result += c;
            }
        } else {
            result += c;
        }
    }
    return result;
}

const TMemberTable& TRegExp::Members() const {
    using T = TRegExp;
    static const TMemberTable table = {
        MakeMember<T>("Pattern", mkPropertyGet, 0, 0, &T::GetPattern),
        MakeMember<T>("Pattern", mkPropertyPut, 1, 1, &T::PutPattern),
        MakeMember<T>("Global", mkPropertyGet, 0, 0, &T::GetGlobal),
        MakeMember<T>("Global", mkPropertyPut, 1, 1, &T::PutGlobal),
        MakeMember<T>("IgnoreCase", mkPropertyGet, 0, 0, &T::GetIgnoreCase),
        MakeMember<T>("IgnoreCase", mkPropertyPut, 1, 1, &T::PutIgnoreCase),
        MakeMember<T>("Multiline", mkPropertyGet, 0, 0, &T::GetMultiline),
        MakeMember<T>("Multiline", mkPropertyPut, 1, 1, &T::PutMultiline),
        MakeMember<T>("Execute", mkMethod, 1, 1, &T::Execute),
        MakeMember<T>("Test", mkMethod, 1, 1, &T::Test),
        MakeMember<T>("Replace", mkMethod, 2, 2, &T::Replace),
    };
    return table;
}

TVariant TRegExp::GetPattern(const TArgs&) { return TVariant(Pattern); }

TVariant TRegExp::PutPattern(const TArgs& args) {
    Pattern = args.back().AsString();
    Cache.reset();
    return {};
}

TVariant TRegExp::GetGlobal(const TArgs&) { return TVariant(Global); }

TVariant TRegExp::PutGlobal(const TArgs& args) {
    Global = args.back().AsBool();
    return {};
}

TVariant TRegExp::GetIgnoreCase(const TArgs&) { return TVariant(IgnoreCase); }

TVariant TRegExp::PutIgnoreCase(const TArgs& args) {
    bool value = args.back().AsBool();
    if (value != IgnoreCase) Cache.reset();
    IgnoreCase = value;
    return {};
}

TVariant TRegExp::GetMultiline(const TArgs&) { return TVariant(Multiline); }

TVariant TRegExp::PutMultiline(const TArgs& args) {
    bool value = args.back().AsBool();
    if (value != Multiline) Cache.reset();
    Multiline = value;
    return {};
}

const TCompiledPattern& TRegExp::Compiled() {
    if (!Cache) Cache = std::make_unique<TCompiledPattern>(Pattern, TPatternOptions{IgnoreCase, Multiline});
    return *Cache;
}

TVariant TRegExp::Execute(const TArgs& args) {
    std::string text = args[0].AsString();
    std::vector<TMatchCollection::TEntry> entries;
    for (const TPatternMatch& match : Compiled().Find(text, Global))
        entries.push_back({std::string(SpanText(text, match.Whole)), static_cast<int64_t>(match.Whole.Offset)});
    return MakeObject<TMatchCollection>(std::move(entries));
}

TVariant TRegExp::Test(const TArgs& args) {
    std::string text = args[0].AsString();
    return TVariant(!Compiled().Find(text, false).empty());
}

TVariant TRegExp::Replace(const TArgs& args) {
    std::string text = args[0].AsString();
    std::string replacement = args[1].AsString();
    std::string result;
    size_t copied = 0;
    for (const TPatternMatch& match : Compiled().Find(text, Global)) {
        result.append(text, copied, match.Whole.Offset - copied);
        result += ExpandReplacement(replacement, text, match);
        copied = match.Whole.Offset + match.Whole.Length;
    }
    result.append(text, copied, std::string::npos);
    return TVariant(std::move(result));
}
