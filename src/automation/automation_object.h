#pragma once

#include "automation/automation_error.h"
#include "automation/variant.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

enum TMemberKind { mkMethod, mkPropertyGet, mkPropertyPut };

class TAutomationObject;

// One entry of a server class's member table. A property put receives the new
// value as its last argument.
struct TMemberEntry {
    std::string_view Name;
    TMemberKind Kind;
    int MinArgs;
    int MaxArgs;
    std::function<TVariant(TAutomationObject& self, const TArgs& args)> Handler;
};
using TMemberTable = std::vector<TMemberEntry>;

// The base of every in-process server object. A server class describes its
// members in a table; one generic dispatcher serves every class.
class TAutomationObject : public std::enable_shared_from_this<TAutomationObject> {
public:
    virtual ~TAutomationObject() = default;

    virtual std::string_view ClassName() const = 0;
    virtual const TMemberTable& Members() const = 0;

    // Finds the member by name (letter case ignored, as late binding does) and
    // kind, checks the number of arguments and calls it. A call or get finds a
    // method or a property get alike.
    TVariant Invoke(std::string_view name, TMemberKind kind, const TArgs& args);
};

// Builds a table entry from a member function of a server class T.
template <class T>
TMemberEntry MakeMember(std::string_view name, TMemberKind kind, int minArgs, int maxArgs,
                        TVariant (T::*fn)(const TArgs&)) {
    return {name, kind, minArgs, maxArgs,
            [fn](TAutomationObject& self, const TArgs& args) { return (static_cast<T&>(self).*fn)(args); }};
}

// Shorthand for building a server object and wrapping it in a variant.
template <class T, class... A>
TVariant MakeObject(A&&... args) {
    return TVariant(TObjectRef(std::make_shared<T>(std::forward<A>(args)...)));
}

// Argument helpers for server members: the argument at index, or a default when
// the caller left it out or passed empty.
const TVariant& ArgAt(const TArgs& args, size_t index);
bool HasArg(const TArgs& args, size_t index);
