#pragma once

#include "automation/automation_object.h"

#include <string>
#include <vector>

// A Match of a RegExp's Execute: the matched text and where it starts.
// FirstIndex and Length count bytes.
class TMatch : public TAutomationObject {
public:
    TMatch(std::string value, int64_t firstIndex) : Value(std::move(value)), FirstIndex(firstIndex) {}
    std::string_view ClassName() const override { return "Match"; }
    const TMemberTable& Members() const override;

private:
    TVariant GetValue(const TArgs& args);
    TVariant GetFirstIndex(const TArgs& args);
    TVariant GetLength(const TArgs& args);

    std::string Value;
    int64_t FirstIndex;
};

// The Matches collection: Count, and Item(i) for i from 0 to Count - 1.
class TMatchCollection : public TAutomationObject {
public:
    struct TEntry {
        std::string Value;
        int64_t FirstIndex;
    };
    explicit TMatchCollection(std::vector<TEntry> entries) : Entries(std::move(entries)) {}
    std::string_view ClassName() const override { return "MatchCollection"; }
    const TMemberTable& Members() const override;

private:
    TVariant GetCount(const TArgs& args);
    TVariant Item(const TArgs& args);

    std::vector<TEntry> Entries;
};
