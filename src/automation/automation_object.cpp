#include "automation/automation_object.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool KindMatches(TMemberKind wanted, TMemberKind offered) {
    if (wanted == mkPropertyPut) return offered == mkPropertyPut;
    return offered == mkMethod || offered == mkPropertyGet;
}

} // namespace

TVariant TAutomationObject::Invoke(std::string_view name, TMemberKind kind, const TArgs& args) {
    const TMemberEntry* found = nullptr;
    bool nameKnown = false;
    for (const TMemberEntry& entry : Members()) {
        if (!SameName(entry.Name, name)) continue;
        nameKnown = true;
        if (KindMatches(kind, entry.Kind)) {
            found = &entry;
            break;
        }
    }
    std::string where = std::string(ClassName()) + "." + std::string(name);
    if (!found) {
        if (nameKnown && kind == mkPropertyPut) throw TAutomationError(where + ": property is read-only");
        throw TAutomationError(where + ": object doesn't support this property or method");
    }
    int count = static_cast<int>(args.size());
    if (count < found->MinArgs || count > found->MaxArgs)
        throw TAutomationError(where + ": wrong number of arguments");
    // Keeps the object alive while its member runs, even when the member
    // releases the last outside reference to it.
    auto self = shared_from_this();
    return found->Handler(*self, args);
}

const TVariant& ArgAt(const TArgs& args, size_t index) {
    static const TVariant empty;
    return index < args.size() ? args[index] : empty;
}

bool HasArg(const TArgs& args, size_t index) { return index < args.size() && !args[index].IsEmpty(); }
