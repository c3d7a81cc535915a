#include "automation/regexp/match_objects.h"

#include "automation/automation_error.h"

#include <cstdint>

const TMemberTable& TMatch::Members() const {
    static const TMemberTable table = {
        MakeMember<TMatch>("Value", mkPropertyGet, 0, 0, &TMatch::GetValue),
        MakeMember<TMatch>("FirstIndex", mkPropertyGet, 0, 0, &TMatch::GetFirstIndex),
        MakeMember<TMatch>("Length", mkPropertyGet, 0, 0, &TMatch::GetLength),
    };
    return table;
}

TVariant TMatch::GetValue(const TArgs&) { return TVariant(Value); }

TVariant TMatch::GetFirstIndex(const TArgs&) {
    if (FirstIndex <= INT32_MAX) return TVariant(static_cast<int32_t>(FirstIndex));
    return TVariant(FirstIndex);
}

TVariant TMatch::GetLength(const TArgs&) {
    if (Value.size() <= INT32_MAX) return TVariant(static_cast<int32_t>(Value.size()));
    return TVariant(static_cast<int64_t>(Value.size()));
}

const TMemberTable& TMatchCollection::Members() const {
    static const TMemberTable table = {
        MakeMember<TMatchCollection>("Count", mkPropertyGet, 0, 0, &TMatchCollection::GetCount),
        MakeMember<TMatchCollection>("Item", mkPropertyGet, 1, 1, &TMatchCollection::Item),
    };
    return table;
}

TVariant TMatchCollection::GetCount(const TArgs&) { return TVariant(static_cast<int32_t>(Entries.size())); }

TVariant TMatchCollection::Item(const TArgs& args) {
    int64_t index = args[0].AsInt64();
    if (index < 0 || index >= static_cast<int64_t>(Entries.size()))
        throw TAutomationError("Invalid procedure call or argument: no match at index " + std::to_string(index));
    const TEntry& entry = Entries[static_cast<size_t>(index)];
    return MakeObject<TMatch>(entry.Value, entry.FirstIndex);
}
