#include "faxproto/fax_json.h"

#include <charconv>
#include <cstdio>

const TJsonValue* TJsonValue::Find(std::string_view name) const {
    if (!IsObject()) return nullptr;
    for (const auto& [key, member] : AsObject())
        if (key == name) return &member;
    return nullptr;
}

namespace {

void EncodeString(const std::string& text, std::string& out) {
    out += '"';
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void Encode(const TJsonValue& value, std::string& out) {
    if (value.IsNull()) {
        out += "null";
    } else if (value.IsBool()) {
        out += value.AsBool() ? "true" : "false";
    } else if (value.IsInteger()) {
        out += std::to_string(value.AsInteger());
    } else if (value.IsNumber()) {
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.AsNumber());
        out.append(buffer, result.ptr);
    } else if (value.IsString()) {
        EncodeString(value.AsString(), out);
    } else if (value.IsArray()) {
        out += '[';
        bool first = true;
        for (const TJsonValue& item : value.AsArray()) {
            if (!first) out += ',';
            first = false;
            Encode(item, out);
        }
        out += ']';
    } else {
        out += '{';
        bool first = true;
        for (const auto& [key, member] : value.AsObject()) {
            if (!first) out += ',';
            first = false;
            EncodeString(key, out);
            out += ':';
            Encode(member, out);
        }
        out += '}';
    }
}

void AppendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A recursive-descent reader with a nesting limit, so that a hostile answer
// cannot exhaust the stack.
class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : Text(text) {}

    std::optional<TJsonValue> ReadDocument() {
        TJsonValue value;
        if (!ReadValue(value, 0)) return std::nullopt;
        SkipSpace();
        if (Pos != Text.size()) return std::nullopt;
        return value;
    }

private:
    static constexpr int MaxDepth = 64;

    void SkipSpace() {
        while (Pos < Text.size() && (Text[Pos] == ' ' || Text[Pos] == '\t' || Text[Pos] == '\n' || Text[Pos] == '\r'))
            ++Pos;
    }

    bool Consume(std::string_view word) {
        if (Text.substr(Pos, word.size()) != word) return false;
        Pos += word.size();
        return true;
    }

    bool ReadValue(TJsonValue& value, int depth) {
        if (depth > MaxDepth) return false;
        SkipSpace();
        if (Pos >= Text.size()) return false;
        switch (Text[Pos]) {
        case '{': return ReadObject(value, depth);
        case '[': return ReadArray(value, depth);
        case '"': {
            std::string text;
            if (!ReadString(text)) return false;
            value = TJsonValue(std::move(text));
            return true;
        }
        case 't': value = TJsonValue(true); return Consume("true");
        case 'f': value = TJsonValue(false); return Consume("false");
        case 'n': value = TJsonValue(); return Consume("null");
        default: return ReadNumber(value);
        }
    }

    bool ReadObject(TJsonValue& value, int depth) {
        ++Pos;
        TJsonValue::TObject members;
        SkipSpace();
        if (Pos < Text.size() && Text[Pos] == '}') {
            ++Pos;
            value = TJsonValue(std::move(members));
            return true;
        }
        while (true) {
            SkipSpace();
            std::string key;
            if (Pos >= Text.size() || Text[Pos] != '"' || !ReadString(key)) return false;
            SkipSpace();
            if (!Consume(":")) return false;
            TJsonValue member;
            if (!ReadValue(member, depth + 1)) return false;
            members.emplace_back(std::move(key), std::move(member));
            SkipSpace();
            if (Consume(",")) continue;
            if (!Consume("}")) return false;
            value = TJsonValue(std::move(members));
            return true;
        }
    }

    bool ReadArray(TJsonValue& value, int depth) {
        ++Pos;
        TJsonValue::TArray items;
        SkipSpace();
        if (Pos < Text.size() && Text[Pos] == ']') {
            ++Pos;
            value = TJsonValue(std::move(items));
            return true;
        }
        while (true) {
            TJsonValue item;
            if (!ReadValue(item, depth + 1)) return false;
            items.push_back(std::move(item));
            SkipSpace();
            if (Consume(",")) continue;
            if (!Consume("]")) return false;
            value = TJsonValue(std::move(items));
            return true;
        }
    }

    bool ReadHex4(uint32_t& code) {
        if (Pos + 4 > Text.size()) return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            char c = Text[Pos++];
            code <<= 4;
            if (c >= '0' && c <= '9') code |= c - '0';
            else if (c >= 'a' && c <= 'f') code |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') code |= c - 'A' + 10;
            else return false;
        }
        return true;
    }

    bool ReadString(std::string& out) {
        ++Pos;
        while (Pos < Text.size()) {
            char c = Text[Pos++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (Pos >= Text.size()) return false;
            char escape = Text[Pos++];
            switch (escape) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t code = 0;
                if (!ReadHex4(code)) return false;
                if (code >= 0xD800 && code < 0xDC00) {
                    uint32_t low = 0;
                    if (!Consume("\\u") || !ReadHex4(low) || low < 0xDC00 || low >= 0xE000) return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code < 0xE000) {
                    return false;
                }
                AppendUtf8(code, out);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    bool ReadNumber(TJsonValue& value) {
        size_t start = Pos;
        bool integral = true;
        if (Pos < Text.size() && Text[Pos] == '-') ++Pos;
        while (Pos < Text.size()) {
            char c = Text[Pos];
            if (c >= '0' && c <= '9') {
                ++Pos;
            } else if (c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-') {
                integral = false;
                ++Pos;
            } else {
                break;
            }
        }
        const char* first = Text.data() + start;
        const char* last = Text.data() + Pos;
        if (first == last) return false;
        if (integral) {
            int64_t number = 0;
            auto result = std::from_chars(first, last, number);
            if (result.ec == std::errc() && result.ptr == last) {
                value = TJsonValue(number);
                return true;
            }
        }
        double number = 0;
        auto result = std::from_chars(first, last, number);
        if (result.ec != std::errc() || result.ptr != last) return false;
        value = TJsonValue(number);
        return true;
    }

    std::string_view Text;
    size_t Pos = 0;
};

} // namespace

std::string EncodeJson(const TJsonValue& value) {
    std::string out;
    Encode(value, out);
    return out;
}

std::optional<TJsonValue> DecodeJson(std::string_view text) { return TJsonReader(text).ReadDocument(); }

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < Smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
        i += length;
    }
    return true;
}

std::string StringOf(const TJsonValue& object, std::string_view name) {
    const TJsonValue* value = object.Find(name);
    return value && value->IsString() ? value->AsString() : std::string();
}

bool BoolOf(const TJsonValue& object, std::string_view name) {
    const TJsonValue* value = object.Find(name);
    return value && value->IsBool() && value->AsBool();
}

double NumberOf(const TJsonValue& object, std::string_view name) {
    const TJsonValue* value = object.Find(name);
    return value && value->IsNumber() ? value->AsNumber() : 0;
}
