#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class TAutomationObject;
using TObjectRef = std::shared_ptr<TAutomationObject>;

// An automation date: days since 1899-12-30 00:00, the fraction is the time of day.
struct TDate {
    double Days = 0;
    bool operator==(const TDate&) const = default;
};

enum TVariantType { vtEmpty, vtBoolean, vtInt32, vtInt64, vtDouble, vtString, vtDate, vtObject };

class TVariant;
using TArgs = std::vector<TVariant>;

// The value that travels through late-bound calls. A variant that holds an
// object is that object's handle: setting it to empty releases the object.
class TVariant {
public:
    TVariant() = default;
    TVariant(bool value) : Value(value) {}
    TVariant(int32_t value) : Value(value) {}
    TVariant(int64_t value) : Value(value) {}
    TVariant(double value) : Value(value) {}
    TVariant(std::string value) : Value(std::move(value)) {}
    TVariant(std::string_view value) : Value(std::string(value)) {}
    TVariant(const char* value) : Value(std::string(value)) {}
    TVariant(TDate value) : Value(value) {}
    TVariant(TObjectRef value);

    TVariantType Type() const { return static_cast<TVariantType>(Value.index()); }
    bool IsEmpty() const { return Type() == vtEmpty; }
    bool IsObject() const { return Type() == vtObject; }

    // Conversions as a late-bound caller expects them; a value that cannot be
    // converted (or does not fit) raises TAutomationError.
    bool AsBool() const;
    int32_t AsInt32() const;
    int64_t AsInt64() const;
    double AsDouble() const;
    std::string AsString() const;
    TDate AsDate() const;
    TObjectRef AsObject() const;

    // Late-bound member access on the object this variant holds.
    TVariant Call(std::string_view member, const TArgs& args = {}) const;
    TVariant Get(std::string_view property, const TArgs& args = {}) const;
    void Put(std::string_view property, const TVariant& value) const;

    // Releases whatever the variant holds.
    void Clear() { Value = std::monostate{}; }

    bool operator==(const TVariant& other) const { return Value == other.Value; }

private:
    std::variant<std::monostate, bool, int32_t, int64_t, double, std::string, TDate, TObjectRef> Value;
};
