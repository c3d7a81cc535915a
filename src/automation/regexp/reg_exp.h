#pragma once

#include "automation/automation_object.h"
#include "automation/regexp/compiled_pattern.h"

#include <memory>
#include <string>

// "VBScript.RegExp": Pattern, Global, IgnoreCase and Multiline properties;
// Execute(text) gives a Matches collection, Test(text) whether there is a
// match, Replace(text, replacement) the text with the matches replaced (the
// first only unless Global). In a replacement, $1 … $99 stand for a group,
// $& for the whole match, $` and $' for the text before and after it, $$ for
// a dollar sign; any other $ is literal.
//
// Text is bytes (see TCompiledPattern). An invalid pattern raises its error
// when it is used, not when it is set.
class TRegExp : public TAutomationObject {
public:
    std::string_view ClassName() const override { return "RegExp"; }
    const TMemberTable& Members() const override;

private:
    TVariant GetPattern(const TArgs& args);
    TVariant PutPattern(const TArgs& args);
    TVariant GetGlobal(const TArgs& args);
    TVariant PutGlobal(const TArgs& args);
    TVariant GetIgnoreCase(const TArgs& args);
    TVariant PutIgnoreCase(const TArgs& args);
    TVariant GetMultiline(const TArgs& args);
    TVariant PutMultiline(const TArgs& args);
    TVariant Execute(const TArgs& args);
    TVariant Test(const TArgs& args);
    TVariant Replace(const TArgs& args);

    const TCompiledPattern& Compiled();

    std::string Pattern;
    bool Global = false;
    bool IgnoreCase = false;
    bool Multiline = false;
    std::unique_ptr<TCompiledPattern> Cache;
};

// The replacement text for one match, with its $ references expanded.
std::string ExpandReplacement(std::string_view replacement, std::string_view text, const TPatternMatch& match);
