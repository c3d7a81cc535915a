#include "automation/variant.h"

#include "automation/automation_error.h"
#include "automation/automation_object.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

namespace {

const char* TypeName(TVariantType type) {
    switch (type) {
    case vtEmpty: return "Empty";
    case vtBoolean: return "Boolean";
    case vtInt32: return "Long";
    case vtInt64: return "LongLong";
    case vtDouble: return "Double";
    case vtString: return "String";
    case vtDate: return "Date";
    case vtObject: return "Object";
    }
    return "?";
}

[[noreturn]] void TypeMismatch(TVariantType from, const char* to) {
    throw TAutomationError(std::string("Type mismatch: cannot convert ") + TypeName(from) + " to " + to);
}

[[noreturn]] void Overflow() { throw TAutomationError("Overflow"); }

bool ParseDouble(const std::string& text, double& out) {
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(trimmed.begin());
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    if (trimmed.empty()) return false;
    auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), out);
    return ec == std::errc() && end == trimmed.data() + trimmed.size();
}

} // namespace

TVariant::TVariant(TObjectRef value) {
    if (value) Value = std::move(value);
}

bool TVariant::AsBool() const {
    switch (Type()) {
    case vtEmpty: return false;
    case vtBoolean: return std::get<bool>(Value);
    case vtInt32: return std::get<int32_t>(Value) != 0;
    case vtInt64: return std::get<int64_t>(Value) != 0;
    case vtDouble: return std::get<double>(Value) != 0;
    case vtDate: return std::get<TDate>(Value).Days != 0;
    case vtString: {
        const auto& s = std::get<std::string>(Value);
        if (s == "True" || s == "true" || s == "TRUE") return true;
        if (s == "False" || s == "false" || s == "FALSE") return false;
        double d = 0;
        if (ParseDouble(s, d)) return d != 0;
        TypeMismatch(vtString, "Boolean");
    }
    case vtObject: TypeMismatch(vtObject, "Boolean");
    }
    return false;
}

int64_t TVariant::AsInt64() const {
    switch (Type()) {
    case vtEmpty: return 0;
    case vtBoolean: return std::get<bool>(Value) ? -1 : 0;
    case vtInt32: return std::get<int32_t>(Value);
    case vtInt64: return std::get<int64_t>(Value);
    case vtDouble:
    case vtDate:
    case vtString: {
        double d = AsDouble();
        if (!std::isfinite(d) || d < -9.2233720368547758e18 || d >= 9.2233720368547758e18) Overflow();
        return static_cast<int64_t>(std::nearbyint(d));
    }
    case vtObject: TypeMismatch(vtObject, "LongLong");
    }
    return 0;
}

int32_t TVariant::AsInt32() const {
    int64_t value = AsInt64();
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) Overflow();
    return static_cast<int32_t>(value);
}

double TVariant::AsDouble() const {
    switch (Type()) {
    case vtEmpty: return 0;
    case vtBoolean: return std::get<bool>(Value) ? -1 : 0;
    case vtInt32: return std::get<int32_t>(Value);
    case vtInt64: return static_cast<double>(std::get<int64_t>(Value));
    case vtDouble: return std::get<double>(Value);
    case vtDate: return std::get<TDate>(Value).Days;
    case vtString: {
        double d = 0;
        if (!ParseDouble(std::get<std::string>(Value), d)) TypeMismatch(vtString, "Double");
        return d;
    }
    case vtObject: TypeMismatch(vtObject, "Double");
    }
    return 0;
}

std::string TVariant::AsString() const {
    switch (Type()) {
    case vtEmpty: return {};
    case vtBoolean: return std::get<bool>(Value) ? "True" : "False";
    case vtInt32: return std::to_string(std::get<int32_t>(Value));
    case vtInt64: return std::to_string(std::get<int64_t>(Value));
    case vtDouble: {
        std::ostringstream out;
        out.precision(15);
        out << std::get<double>(Value);
        return out.str();
    }
    case vtDate: {
        std::ostringstream out;
        out.precision(15);
        out << std::get<TDate>(Value).Days;
        return out.str();
    }
    case vtString: return std::get<std::string>(Value);
    case vtObject: TypeMismatch(vtObject, "String");
    }
    return {};
}

TDate TVariant::AsDate() const {
    if (Type() == vtDate) return std::get<TDate>(Value);
    return TDate{AsDouble()};
}

TObjectRef TVariant::AsObject() const {
    if (Type() != vtObject) {
        if (Type() == vtEmpty) throw TAutomationError("Object required");
        TypeMismatch(Type(), "Object");
    }
    return std::get<TObjectRef>(Value);
}

TVariant TVariant::Call(std::string_view member, const TArgs& args) const {
    return AsObject()->Invoke(member, mkMethod, args);
}

TVariant TVariant::Get(std::string_view property, const TArgs& args) const {
    return AsObject()->Invoke(property, mkPropertyGet, args);
}

void TVariant::Put(std::string_view property, const TVariant& value) const {
    AsObject()->Invoke(property, mkPropertyPut, TArgs{value});
}
