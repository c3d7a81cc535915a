#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The few JSON values the fax service protocol carries: one object per line,
// strings in UTF-8, whole numbers, booleans, arrays and nested objects.
class TJsonValue {
public:
    using TArray = std::vector<TJsonValue>;
    using TObject = std::vector<std::pair<std::string, TJsonValue>>;

    TJsonValue() = default;
    TJsonValue(bool value) : Value(value) {}
    TJsonValue(int64_t value) : Value(value) {}
    TJsonValue(double value) : Value(value) {}
    TJsonValue(std::string value) : Value(std::move(value)) {}
    TJsonValue(const char* value) : Value(std::string(value)) {}
    TJsonValue(TArray value) : Value(std::move(value)) {}
    TJsonValue(TObject value) : Value(std::move(value)) {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(Value); }
    bool IsBool() const { return std::holds_alternative<bool>(Value); }
    bool IsInteger() const { return std::holds_alternative<int64_t>(Value); }
    bool IsNumber() const { return IsInteger() || std::holds_alternative<double>(Value); }
    bool IsString() const { return std::holds_alternative<std::string>(Value); }
    bool IsArray() const { return std::holds_alternative<TArray>(Value); }
    bool IsObject() const { return std::holds_alternative<TObject>(Value); }

    bool AsBool() const { return std::get<bool>(Value); }
    int64_t AsInteger() const { return std::get<int64_t>(Value); }
    double AsNumber() const { return IsInteger() ? static_cast<double>(AsInteger()) : std::get<double>(Value); }
    const std::string& AsString() const { return std::get<std::string>(Value); }
    const TArray& AsArray() const { return std::get<TArray>(Value); }
    const TObject& AsObject() const { return std::get<TObject>(Value); }

    // The member of an object by name; null when absent or not an object.
    const TJsonValue* Find(std::string_view name) const;

private:
    std::variant<std::monostate, bool, int64_t, double, std::string, TArray, TObject> Value;
};

// An object's member by name as a string (empty when absent or not a string),
// as a boolean (false when absent or not a boolean) and as a number (0 when
// absent or not a number).
std::string StringOf(const TJsonValue& object, std::string_view name);
bool BoolOf(const TJsonValue& object, std::string_view name);
double NumberOf(const TJsonValue& object, std::string_view name);

// Writes a value as compact JSON on one line. Bytes of 0x80 and above pass
// through unchanged; quotes, backslashes and control characters are escaped.
std::string EncodeJson(const TJsonValue& value);

// Reads one JSON value (surrounding white space allowed); nothing when the
// text is not exactly one well-formed value.
std::optional<TJsonValue> DecodeJson(std::string_view text);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
